#include "common/PageFailure.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(PageFailure, EveryReasonHasATextAndATokenThatReadsBack) {
    for (int reason = 1; reason <= static_cast<int>(FailureReason::Last); ++reason) {
        const auto kind = static_cast<FailureReason>(reason);
        const bool bStatus = kind == FailureReason::HttpStatus || kind == FailureReason::ProxyTunnel;
        const CPageFailure failure{kind, bStatus ? 404 : 0};
        SCOPED_TRACE(FailureToken(failure));
        EXPECT_FALSE(FailureText(failure).empty());
        EXPECT_EQ(ParseFailureToken(FailureToken(failure)), failure);
        EXPECT_EQ(FailureOfParam(FailureParam(7, failure)), failure);
        EXPECT_EQ(SlotOfFailureParam(FailureParam(7, failure)), 7);
    }
    EXPECT_EQ(FailureText({FailureReason::HttpStatus, 503}), "HTTP 503");
    EXPECT_EQ(FailureToken({FailureReason::HttpStatus, 503}), "http-503");
    EXPECT_EQ(ParseFailureToken("proxy-tunnel-403"), (CPageFailure{FailureReason::ProxyTunnel, 403}));
    EXPECT_EQ(FailureText({FailureReason::Redirected, 0, "http://h/b/"}),
              "redirected to http://h/b/ (Options: Follow redirects)");
    // A reason of a later version still counts as a failure.
    EXPECT_EQ(ParseFailureToken("quic-handshake"), (CPageFailure{FailureReason::Other, 0}));
    EXPECT_EQ(ParseFailureToken("http-x"), (CPageFailure{FailureReason::Other, 0}));
    EXPECT_EQ(ParseFailureToken(""), std::nullopt);
}

TEST(PageFailure, SocketErrorsAndOutages) {
    struct Case {
        int error;
        bool bConnecting;
        bool bProxy;
        FailureReason expected;
    };
    const Case cases[] = {
        {ECONNREFUSED, true, false, FailureReason::Refused},
        {ECONNREFUSED, true, true, FailureReason::ProxyRefused},
        {ENETUNREACH, true, false, FailureReason::NetworkUnreachable},
        {EHOSTUNREACH, true, false, FailureReason::HostUnreachable},
        {EHOSTUNREACH, true, true, FailureReason::ProxyUnreachable},
        {ETIMEDOUT, true, true, FailureReason::TimedOut},
        {ECONNRESET, false, false, FailureReason::Reset},
        {EPIPE, false, false, FailureReason::Reset},
        {ECANCELED, false, false, FailureReason::Aborted},
        {ECONNREFUSED, false, false, FailureReason::NetworkError},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(FailureOfError(test.error, test.bConnecting, test.bProxy).m_reason, test.expected)
            << test.error << " " << test.bConnecting << test.bProxy;
    }

    // A refused connection is an answer; an address range expects missing servers.
    EXPECT_FALSE(IsOutage(FailureReason::Refused, true));
    EXPECT_FALSE(IsOutage(FailureReason::TimedOut, true));
    EXPECT_FALSE(IsOutage(FailureReason::HttpStatus, true));
    EXPECT_TRUE(IsOutage(FailureReason::NotResolved, true));
    EXPECT_TRUE(IsOutage(FailureReason::NetworkUnreachable, true));
    EXPECT_FALSE(IsOutage(FailureReason::NotResolved, false));
    EXPECT_FALSE(IsOutage(FailureReason::HostUnreachable, false));
    EXPECT_FALSE(IsOutage(FailureReason::NetworkUnreachable, false));
    EXPECT_TRUE(IsOutage(FailureReason::ProxyRefused, false));
    EXPECT_TRUE(IsOutage(FailureReason::ProxyNotResolved, false));
}
