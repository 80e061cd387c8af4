#include "platform/ForeignApplications.h"

#include "platform/ServiceSlot.h"

namespace pairsift {

namespace {

// This system has no registry of scriptable desktop applications, so nothing is found.
class NoForeignApplications final : public ForeignApplications {
public:
    bool isRunning(const QString&) const override { return false; }
    bool isInstalled(const QString&, const QString&) const override { return false; }
};

ServiceSlot<ForeignApplications>& foreignApplicationsSlot()
{
    static ServiceSlot<ForeignApplications> instance(std::make_shared<NoForeignApplications>());
    return instance;
}

} // namespace

std::shared_ptr<ForeignApplications> ForeignApplications::shared()
{
    return foreignApplicationsSlot().get();
}

std::shared_ptr<ForeignApplications> ForeignApplications::setShared(std::shared_ptr<ForeignApplications> replacement)
{
    return foreignApplicationsSlot().replace(std::move(replacement));
}

} // namespace pairsift
