#pragma once

#include "photolibs/fake/FakeScriptableApplication.h"
#include "platform/ForeignApplications.h"
#include "platform/ScriptingBridge.h"
#include "platform/WaitClock.h"

#include <QStringList>

#include <memory>
#include <mutex>

namespace pairsift::test {

// Stands in for the system's other applications in tests: iPhoto and Aperture (installed, not running),
// the scripts they receive, and a clock that advances without sleeping. It answers the drivers' scripts
// as the applications would: a photo-removal script removes the matching photos of iPhoto's photo
// library album, a marking script adds the keyword "Duplicate" to the matching Aperture image versions.
//
// Install it with Installation for the length of a test; the drivers then use it through the shared
// platform services. Set the fake up before the code under test runs and inspect it afterwards.
class FakePhotoApplications : public ForeignApplications, public ScriptingBridge, public WaitClock {
public:
    // Puts the fake in place of the shared platform services and restores the previous ones when it goes.
    class Installation {
    public:
        explicit Installation(std::shared_ptr<FakePhotoApplications> fake);
        ~Installation();
        Installation(const Installation&) = delete;
        Installation& operator=(const Installation&) = delete;

    private:
        std::shared_ptr<ForeignApplications> m_previousApplications;
        std::shared_ptr<ScriptingBridge> m_previousBridge;
        std::shared_ptr<WaitClock> m_previousClock;
    };

    FakePhotoApplications();

    bool isRunning(const QString& bundleIdentifier) const override;
    bool isInstalled(const QString& bundleIdentifier, const QString& applicationName) const override;
    ScriptableApplicationPtr application(const QString& bundleIdentifier) override;
    std::optional<QString> runScript(const QString& source, Error* errorInfo = nullptr) override;
    Duration now() const override;
    void sleepFor(Duration duration) override;

    FakeScriptableApplication& iPhoto() { return *m_iPhoto; }
    FakeScriptableApplication& aperture() { return *m_aperture; }

    // iPhoto's photo library album: photos with an image path and an original path (empty: none).
    void addPhoto(const QString& imagePath, const QString& originalPath = {});
    QStringList photoImagePaths() const;

    // Aperture's image versions: an identifier and its other tags (name to value).
    void addImageVersion(const QString& uuid, const QVariantMap& otherTags = {});
    // The names of the version's keywords, in the order they were added.
    QStringList keywordsOfImageVersion(const QString& uuid) const;

    // Every script received, in order, failed ones included.
    QStringList scripts() const;
    // The `number`-th script from now on (1 for the next) fails; 0 cancels.
    void failScriptNumber(int number);
    // The error every failing script reports.
    static Error scriptError();

    // The fake time slept so far, and how many sleeps that took.
    Duration slept() const;
    int sleepCount() const;

private:
    FakeScriptableApplicationPtr applicationWithIdentifier(const QString& bundleIdentifier) const;
    FakeScriptingObjectPtr photoLibraryAlbum() const;
    void answerScript(const QString& source);

    const FakeScriptableApplicationPtr m_iPhoto;
    const FakeScriptableApplicationPtr m_aperture;
    mutable std::mutex m_mutex;
    QStringList m_scripts;
    qsizetype m_failingScriptIndex = -1;
    Duration m_slept{0};
    int m_sleepCount = 0;
};

} // namespace pairsift::test
