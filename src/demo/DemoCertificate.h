#pragma once
// The certificate of the demo's https site, made in memory at each start: a new EC P-256 key and
// a self-signed certificate for IP:127.0.0.1 only, no authority (it cannot vouch for any other
// certificate), valid from a minute before it was made for kDemoCertificateDays. Neither the key
// nor the certificate is written anywhere; the session trusts the certificate while it runs
// (TrustedCertificates.h).

#include <string>

namespace sg {

inline constexpr int kDemoCertificateDays = 7;

// Results of MakeDemoCertificate.
inline constexpr int kDemoCertificateMade = 0;
inline constexpr int kDemoCertificateFailed = 1;

struct DemoCertificate {
    std::string certificatePem;
    std::string keyPem;
};

// Fills `out` with a new key and certificate as PEM text; kDemoCertificateMade, or
// kDemoCertificateFailed (then `out` is empty).
int MakeDemoCertificate(DemoCertificate& out);

}  // namespace sg
