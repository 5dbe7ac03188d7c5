#include "net/TlsServerContext.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <climits>

namespace sg {
namespace {

BIO* TextBio(std::string_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) {
        return nullptr;
    }
    return BIO_new_mem_buf(text.data(), static_cast<int>(text.size()));
}

}  // namespace

TlsServerContext::~TlsServerContext() {
    Clear();
}

void TlsServerContext::Clear() {
    if (context_ != nullptr) {
        SSL_CTX_free(context_);
        context_ = nullptr;
    }
}

int TlsServerContext::Load(std::string_view certificatePem, std::string_view keyPem) {
    Clear();
    BIO* certificateText = TextBio(certificatePem);
    X509* certificate = certificateText != nullptr
                            ? PEM_read_bio_X509(certificateText, nullptr, nullptr, nullptr)
                            : nullptr;
    BIO_free(certificateText);
    if (certificate == nullptr) {
        ERR_clear_error();
        return kBadCertificate;
    }
    BIO* keyText = TextBio(keyPem);
    EVP_PKEY* key =
        keyText != nullptr ? PEM_read_bio_PrivateKey(keyText, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(keyText);
    int result = kOk;
    SSL_CTX* context = nullptr;
    if (key == nullptr) {
        result = kBadKey;
    } else if ((context = SSL_CTX_new(TLS_server_method())) == nullptr ||
               SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) != 1) {
        result = kNoContext;
    } else if (SSL_CTX_use_certificate(context, certificate) != 1 ||
               SSL_CTX_use_PrivateKey(context, key) != 1 ||
               SSL_CTX_check_private_key(context) != 1) {
        result = kBadKey;
    }
    // The context holds its own references.
    EVP_PKEY_free(key);
    X509_free(certificate);
    if (result != kOk) {
        SSL_CTX_free(context);
        ERR_clear_error();
        return result;
    }
    context_ = context;
    return kOk;
}

}  // namespace sg
