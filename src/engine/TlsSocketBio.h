#pragma once

#include <openssl/bio.h>

// An OpenSSL BIO over a connected socket that the caller owns: freeing the
// BIO never closes it. Sends use MSG_NOSIGNAL, so a peer that has gone
// away gives EPIPE instead of a SIGPIPE. A non-blocking socket that would
// block sets the BIO's retry flags, as OpenSSL expects. nullptr when
// OpenSSL cannot make it.
BIO* NewTlsSocketBio(int fd);
