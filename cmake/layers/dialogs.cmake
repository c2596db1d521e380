# Dialogs of the signing flows: the signing-password keypad and form, the signature deletion
# dialog, the verification result dialog, the certificate view, the USB-key registry, and the
# QR-code payment dialog with its success box.
add_library(orv_dialogs STATIC
  ${PROJECT_SOURCE_DIR}/src/SoftKeyboard.cpp
  ${PROJECT_SOURCE_DIR}/src/SignPasswdDialog.cpp
  ${PROJECT_SOURCE_DIR}/src/DeleteSignatureDialog.cpp
  ${PROJECT_SOURCE_DIR}/src/DeviceBussiness.cpp
  ${PROJECT_SOURCE_DIR}/src/VerifySignatureDialog.cpp
  ${PROJECT_SOURCE_DIR}/src/CertView.cpp
  ${PROJECT_SOURCE_DIR}/src/PayQrCodeDialog.cpp
)
set_target_properties(orv_dialogs PROPERTIES AUTOMOC ON)
target_include_directories(orv_dialogs PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(orv_dialogs PRIVATE ${ORV_WARNINGS})
target_link_libraries(orv_dialogs PUBLIC orv_cloud orv_foundation Qt5::Widgets Qt5::Concurrent OpenSSL::Crypto)
