#pragma once

#include "settings/PreferencesHost.h"

namespace pairsift::test {

// The main window as the preferences see it: plain values a test sets and reads.
class FakePreferencesHost : public PreferencesHost {
public:
    const QString& currentLogFilePath() const override { return logFilePath; }
    const QList<Filter>& filters() const override { return filterList; }
    void setFilters(QList<Filter> filters) override { filterList = std::move(filters); }
    bool hasUpdateFeed() const override { return isFeedConfigured; }

    QString logFilePath;
    QList<Filter> filterList;
    bool isFeedConfigured = false;
};

} // namespace pairsift::test
