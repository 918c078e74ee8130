#pragma once
// Waiting for what the event loop brings about, as a gtest assertion. Qt's own
// QTRY_ macros report to QtTest and merely return, which gtest never sees.
#include <gtest/gtest.h>

#include <QTest>

// Processes events until COND holds, for at most TIMEOUT_MS milliseconds; the
// test fails (and returns) if it never does.
#define ASSERT_EVENTUALLY(cond, timeoutMs) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return bool(cond); }, timeoutMs)) << "never became true: " #cond
