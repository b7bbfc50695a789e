#include "net/TestCertificates.h"

#include <cstdlib>

const std::filesystem::path& TestCertificates() {
    static const std::filesystem::path made = [] {
        const std::filesystem::path dir = VESTRIAL_TEST_CERTIFICATES;
        if (!std::filesystem::exists(dir / "ca.pem"))
            return std::filesystem::path();
        setenv("SSL_CERT_FILE", (dir / "ca.pem").c_str(), 1);
        unsetenv("SSL_CERT_DIR");
        return dir;
    }();
    return made;
}
