#include "platform/RunOutcome.h"

#include "platform/ConsoleLog.h"

#include <exception>

namespace pairsift {

RunOutcome outcomeOf(const std::function<RunOutcome()>& work)
{
    try {
        return work();
    } catch (const std::exception& exception) {
        consoleLog("*** Run ended by an exception: %s", exception.what());
        return RunOutcome::failed(QString::fromLocal8Bit(exception.what()));
    } catch (...) {
        consoleLog("*** Run ended by an exception of unknown type");
        return RunOutcome::failed(QStringLiteral("An unexpected error ended the run."));
    }
}

} // namespace pairsift
