#include "support/logging/HeldLog.h"

#include "support/logging/SOLogger.h"

#include <QtGlobal>

#include <utility>

namespace pairsift {

namespace {

thread_local HeldLog* currentHeldLog = nullptr;

} // namespace

void HeldLogMessage::send() const
{
    logger->sendText(level, text);
}

HeldLog::HeldLog()
{
    Q_ASSERT_X(!currentHeldLog, "HeldLog", "a thread holds one log at a time");
    currentHeldLog = this;
}

HeldLog::~HeldLog()
{
    currentHeldLog = nullptr;
}

HeldLog* HeldLog::current()
{
    return currentHeldLog;
}

void HeldLog::hold(SOLogger& logger, int level, QString text)
{
    m_messages.push_back(HeldLogMessage{&logger, level, std::move(text)});
}

std::vector<HeldLogMessage> HeldLog::take()
{
    return std::exchange(m_messages, {});
}

} // namespace pairsift
