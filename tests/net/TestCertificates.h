#pragma once

#include <filesystem>

// The certificates of make_test_certs.sh (valid.pem, other-name.pem,
// expired.pem, untrusted.pem and the authority ca.pem), made by the build. The
// first call also makes ca.pem the only trusted authority (SSL_CERT_FILE):
// the process reads its trust store once, at its first secure connection, so
// every test that connects securely calls this before it does. Empty when the
// build could not make them.
const std::filesystem::path& TestCertificates();
