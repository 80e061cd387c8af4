#pragma once

#include <QString>

#include <gtest/gtest.h>

#include <functional>

namespace pairsift::test {

// Runs `work` and answers what it wrote to standard error, where the console log goes.
inline QString consoleOutput(const std::function<void()>& work)
{
    testing::internal::CaptureStderr();
    work();
    return QString::fromStdString(testing::internal::GetCapturedStderr());
}

} // namespace pairsift::test
