#pragma once
// The logged-in user's cloud certificate state (g_cerData and g_certTime, declared with the
// shared records), kept fresh from the cloud service, and the gate on identity verification.

// Refreshes g_cerData and g_certTime from the cloud service for the logged-in user: 0 when the
// certificate and its validity were obtained, -1 otherwise (also with nobody logged in). A failed
// certificate request shows the service's message.
int getServerCertAndTime();
// 1 when the logged-in user's identity allows identity-dependent actions; otherwise 0, after
// telling the user why and, on request, opening the service's verification page.
int userAuthenStatus();
