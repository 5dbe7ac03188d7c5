#pragma once
// Server certificates the process trusts beside the system's (OpenSSL's default verify paths),
// for a server of the program's own whose certificate it made itself (the demo's https site).
// Every TLS connection made after an addition trusts it, until it is removed; nothing is written
// to disk or to the system's store.
//
// Only a server's own certificate is taken, never an authority: one that may sign others is
// refused. So an addition trusts exactly the names and addresses that certificate lists (the
// client still checks the host against it), and no other host.
//
//   AddTrustedCertificate(pem);     // https://127.0.0.1:PORT/ with that certificate verifies
//   RemoveTrustedCertificate(pem);  // and no longer does

#include <openssl/types.h>

#include <string_view>

namespace sg {

inline constexpr int kTrustOk = 0;
// The text holds no PEM certificate.
inline constexpr int kTrustNoCertificate = 1;
// The certificate is an authority (a CA, or one that may sign certificates).
inline constexpr int kTrustIsAuthority = 2;
// RemoveTrustedCertificate: the certificate is not among the added ones.
inline constexpr int kTrustNotFound = 3;

// Adds the first certificate of `pem`. kTrustOk (also when it is there already: each addition
// needs its own removal), kTrustNoCertificate or kTrustIsAuthority. Thread-safe.
int AddTrustedCertificate(std::string_view pem);
// Takes back one addition of the first certificate of `pem`: kTrustOk, kTrustNoCertificate or
// kTrustNotFound. Connections already verified are not affected. Thread-safe.
int RemoveTrustedCertificate(std::string_view pem);

// For TlsSession: puts every added certificate into `store` as a trust anchor; false when one
// could not be added.
bool AddTrustedCertificatesTo(X509_STORE* store);

}  // namespace sg
