#include "demo/DemoCertificate.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace sg {
namespace {

// What a memory BIO holds, as text.
std::string BioText(BIO* bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

bool AddExtension(X509* certificate, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) {
        return false;
    }
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

bool FillCertificate(X509* certificate, EVP_PKEY* key) {
    BIGNUM* serial = BN_new();
    const bool serialSet =
        serial != nullptr && BN_rand(serial, 63, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) == 1 &&
        BN_to_ASN1_INTEGER(serial, X509_get_serialNumber(certificate)) != nullptr;
    BN_free(serial);
    if (!serialSet || X509_set_version(certificate, X509_VERSION_3) != 1) {
        return false;
    }
    constexpr long kDaySeconds = 24L * 60 * 60;
    X509_NAME* name = X509_get_subject_name(certificate);
    if (X509_gmtime_adj(X509_getm_notBefore(certificate), -60) == nullptr ||
        X509_gmtime_adj(X509_getm_notAfter(certificate), kDemoCertificateDays * kDaySeconds) ==
            nullptr ||
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("Sitegauge demo site"),
                                   -1, -1, 0) != 1 ||
        X509_set_issuer_name(certificate, name) != 1 || X509_set_pubkey(certificate, key) != 1) {
        return false;
    }
    // CA:FALSE: trusted as the anchor of its own one-certificate chain, it still vouches for no
    // other certificate. No key usage list: one without certificate signing would keep OpenSSL
    // from taking the certificate as self-signed, and so from trusting it as its own anchor.
    return AddExtension(certificate, NID_basic_constraints, "critical,CA:FALSE") &&
           AddExtension(certificate, NID_subject_alt_name, "IP:127.0.0.1") &&
           AddExtension(certificate, NID_ext_key_usage, "serverAuth") &&
           X509_sign(certificate, key, EVP_sha256()) > 0;
}

}  // namespace

int MakeDemoCertificate(DemoCertificate& out) {
    out = DemoCertificate();
    EVP_PKEY* key = EVP_EC_gen(SN_X9_62_prime256v1);
    X509* certificate = key != nullptr ? X509_new() : nullptr;
    BIO* keyText = BIO_new(BIO_s_mem());
    BIO* certificateText = BIO_new(BIO_s_mem());
    const bool made =
        certificate != nullptr && keyText != nullptr && certificateText != nullptr &&
        FillCertificate(certificate, key) &&
        PEM_write_bio_PrivateKey(keyText, key, nullptr, nullptr, 0, nullptr, nullptr) == 1 &&
        PEM_write_bio_X509(certificateText, certificate) == 1;
    if (made) {
        out.certificatePem = BioText(certificateText);
        out.keyPem = BioText(keyText);
    }
    BIO_free(certificateText);
    BIO_free(keyText);
    X509_free(certificate);
    EVP_PKEY_free(key);
    if (!made || out.certificatePem.empty() || out.keyPem.empty()) {
        ERR_clear_error();
        out = DemoCertificate();
        return kDemoCertificateFailed;
    }
    return kDemoCertificateMade;
}

}  // namespace sg
