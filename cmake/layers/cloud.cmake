# Cloud service client: the service client, its records and its watchdog.
set(ORV_CLOUD_SOURCES
  ${PROJECT_SOURCE_DIR}/src/NetWorkBusiness.cpp
  ${PROJECT_SOURCE_DIR}/src/NetWorkBusinessRecords.cpp
)
add_library(orv_cloud STATIC ${ORV_CLOUD_SOURCES})
set_target_properties(orv_cloud PROPERTIES AUTOMOC ON)
target_include_directories(orv_cloud PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(orv_cloud PRIVATE ${ORV_WARNINGS})
target_link_libraries(orv_cloud PUBLIC orv_foundation Qt5::Network Qt5::Widgets)
# Packages, orders and payment, invoices and regions, contacts.
target_sources(orv_cloud PRIVATE
  ${PROJECT_SOURCE_DIR}/src/BusinessRecords.cpp
  ${PROJECT_SOURCE_DIR}/src/NetWorkBusinessOrders.cpp
  ${PROJECT_SOURCE_DIR}/src/NetWorkBusinessContacts.cpp
  ${PROJECT_SOURCE_DIR}/src/PaymentStatusPoller.cpp)
# Account, signing password, seals and signatures, certificates and their state, remote signing, files.
target_sources(orv_cloud PRIVATE ${PROJECT_SOURCE_DIR}/src/NetWorkBusinessAccount.cpp
  ${PROJECT_SOURCE_DIR}/src/SealRecords.cpp ${PROJECT_SOURCE_DIR}/src/SealRecords.h
  ${PROJECT_SOURCE_DIR}/src/CertState.cpp)
target_sources(orv_cloud PRIVATE ${PROJECT_SOURCE_DIR}/src/ContractRecords.cpp ${PROJECT_SOURCE_DIR}/src/NetWorkBusinessContract.cpp ${PROJECT_SOURCE_DIR}/src/NetWorkBusinessAuthorize.cpp)
