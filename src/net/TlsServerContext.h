#pragma once
// What a TLS server of the program's own presents in its handshakes (TlsSession::Accept): one
// certificate and its private key, taken from PEM text in memory; TLS 1.2 or later. Nothing is
// read from or written to disk. One context serves any number of connections, also from several
// threads, and must outlive them.

#include <openssl/types.h>

#include <string_view>

namespace sg {

class TlsServerContext {
  public:
    // Results of Load.
    static constexpr int kOk = 0;
    // No PEM certificate in the text.
    static constexpr int kBadCertificate = 1;
    // No PEM private key in the text, or not the certificate's.
    static constexpr int kBadKey = 2;
    // OpenSSL could not make a server context.
    static constexpr int kNoContext = 3;

    TlsServerContext() = default;
    ~TlsServerContext();
    TlsServerContext(const TlsServerContext&) = delete;
    TlsServerContext& operator=(const TlsServerContext&) = delete;

    // Replaces what was loaded; on failure nothing is (Loaded() is false).
    int Load(std::string_view certificatePem, std::string_view keyPem);
    bool Loaded() const { return context_ != nullptr; }

  private:
    friend class TlsSession;
    void Clear();

    SSL_CTX* context_ = nullptr;
};

}  // namespace sg
