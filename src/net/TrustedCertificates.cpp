#include "net/TrustedCertificates.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <climits>
#include <memory>
#include <mutex>
#include <vector>

namespace sg {
namespace {

struct X509Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
using Certificate = std::unique_ptr<X509, X509Free>;

struct TrustList {
    std::mutex mutex;
    // One entry per addition, so that two owners of the same certificate each take theirs back.
    std::vector<Certificate> added;
};

// Never destroyed: an exit handler (the desktop program's demo session) may still take its
// addition back after the static objects are gone.
TrustList& Trust() {
    static TrustList* const list = new TrustList;
    return *list;
}

Certificate ReadCertificate(std::string_view pem) {
    if (pem.empty() || pem.size() > static_cast<std::size_t>(INT_MAX)) {
        return nullptr;
    }
    BIO* text = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    if (text == nullptr) {
        return nullptr;
    }
    Certificate certificate(PEM_read_bio_X509(text, nullptr, nullptr, nullptr));
    BIO_free(text);
    if (certificate == nullptr) {
        ERR_clear_error();
    }
    return certificate;
}

}  // namespace

int AddTrustedCertificate(std::string_view pem) {
    Certificate certificate = ReadCertificate(pem);
    if (certificate == nullptr) {
        return kTrustNoCertificate;
    }
    // 0 is "not a CA" in every sense OpenSSL knows: no CA flag, no certificate-signing use.
    if (X509_check_ca(certificate.get()) != 0) {
        return kTrustIsAuthority;
    }
    TrustList& trust = Trust();
    std::lock_guard<std::mutex> lock(trust.mutex);
    trust.added.push_back(std::move(certificate));
    return kTrustOk;
}

int RemoveTrustedCertificate(std::string_view pem) {
    const Certificate certificate = ReadCertificate(pem);
    if (certificate == nullptr) {
        return kTrustNoCertificate;
    }
    TrustList& trust = Trust();
    std::lock_guard<std::mutex> lock(trust.mutex);
    std::vector<Certificate>& added = trust.added;
    for (auto it = added.begin(); it != added.end(); ++it) {
        if (X509_cmp(it->get(), certificate.get()) == 0) {
            added.erase(it);
            return kTrustOk;
        }
    }
    return kTrustNotFound;
}

bool AddTrustedCertificatesTo(X509_STORE* store) {
    TrustList& trust = Trust();
    std::lock_guard<std::mutex> lock(trust.mutex);
    for (const Certificate& certificate : trust.added) {
        // The store takes its own reference; the same certificate twice is no error.
        if (X509_STORE_add_cert(store, certificate.get()) != 1) {
            return false;
        }
    }
    return true;
}

}  // namespace sg
