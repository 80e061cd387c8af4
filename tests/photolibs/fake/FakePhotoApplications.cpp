#include "photolibs/fake/FakePhotoApplications.h"

#include "photolibs/HVRApertureDriver.h"
#include "photolibs/PhotoScripts.h"

namespace pairsift::test {

namespace {

const QString photosKind = QStringLiteral("photos");
const QString imageVersionsKind = QStringLiteral("image versions");

} // namespace

FakePhotoApplications::Installation::Installation(std::shared_ptr<FakePhotoApplications> fake)
    : m_previousApplications(ForeignApplications::setShared(fake))
    , m_previousBridge(ScriptingBridge::setShared(fake))
    , m_previousClock(WaitClock::setShared(fake))
{
}

FakePhotoApplications::Installation::~Installation()
{
    ForeignApplications::setShared(m_previousApplications);
    ScriptingBridge::setShared(m_previousBridge);
    WaitClock::setShared(m_previousClock);
}

FakePhotoApplications::FakePhotoApplications()
    : m_iPhoto(
        std::make_shared<FakeScriptableApplication>(QStringLiteral("com.apple.iPhoto"), QStringLiteral("iPhoto.app")))
    , m_aperture(std::make_shared<FakeScriptableApplication>(
          QStringLiteral("com.apple.Aperture"), QStringLiteral("Aperture.app")))
{
    m_iPhoto->root()->setObjectProperty(QStringLiteral("photo library album"), std::make_shared<FakeScriptingObject>());
}

FakeScriptableApplicationPtr FakePhotoApplications::applicationWithIdentifier(const QString& bundleIdentifier) const
{
    for (const FakeScriptableApplicationPtr& candidate : {m_iPhoto, m_aperture}) {
        if (candidate->bundleIdentifier() == bundleIdentifier)
            return candidate;
    }
    return nullptr;
}

bool FakePhotoApplications::isRunning(const QString& bundleIdentifier) const
{
    const FakeScriptableApplicationPtr found = applicationWithIdentifier(bundleIdentifier);
    return found && found->isRunning();
}

bool FakePhotoApplications::isInstalled(const QString& bundleIdentifier, const QString& applicationName) const
{
    for (const FakeScriptableApplicationPtr& candidate : {m_iPhoto, m_aperture}) {
        if (candidate->bundleIdentifier().compare(bundleIdentifier, Qt::CaseInsensitive) == 0
            && candidate->applicationName().compare(applicationName, Qt::CaseInsensitive) == 0)
            return candidate->isInstalled();
    }
    return false;
}

ScriptableApplicationPtr FakePhotoApplications::application(const QString& bundleIdentifier)
{
    if (FakeScriptableApplicationPtr found = applicationWithIdentifier(bundleIdentifier))
        return found;
    auto unknown = std::make_shared<FakeScriptableApplication>(bundleIdentifier, QString());
    unknown->setInstalled(false);
    return unknown;
}

std::optional<QString> FakePhotoApplications::runScript(const QString& source, Error* errorInfo)
{
    {
        std::lock_guard lock(m_mutex);
        m_scripts.append(source);
        if (m_scripts.size() - 1 == m_failingScriptIndex) {
            if (errorInfo)
                *errorInfo = scriptError();
            return std::nullopt;
        }
    }
    answerScript(source);
    return QString();
}

void FakePhotoApplications::answerScript(const QString& source)
{
    photoLibraryAlbum()->removeElementsIf(photosKind, [&source](const FakeScriptingObject& photo) {
        for (const char* pathProperty : {"image path", "original path"}) {
            const QString path = photo.property(QString::fromLatin1(pathProperty)).toString();
            if (!path.isEmpty() && source == iPhotoDeletePhotoScript(path))
                return true;
        }
        return false;
    });
    const QVariantMap duplicateKeyword{{QStringLiteral("name"), QStringLiteral("Duplicate")}};
    for (const FakeScriptingObjectPtr& version : m_aperture->root()->fakeElements(imageVersionsKind)) {
        const QString fileName = HVRApertureDriver::fileNameOfImageVersion(version).toString();
        const QString importGroup = HVRApertureDriver::importGroupOfImageVersion(version).toString();
        const bool isMarked
            = source == apertureMarkDuplicateByUUIDScript(version->property(QStringLiteral("id")).toString())
            || source == apertureMarkDuplicateInImportGroupScript(fileName, importGroup);
        if (isMarked)
            version->makeElement(QStringLiteral("keywords"), QStringLiteral("keyword"), duplicateKeyword);
    }
}

FakePhotoApplications::Duration FakePhotoApplications::now() const
{
    std::lock_guard lock(m_mutex);
    return m_slept;
}

void FakePhotoApplications::sleepFor(Duration duration)
{
    std::lock_guard lock(m_mutex);
    m_slept += duration;
    ++m_sleepCount;
}

FakeScriptingObjectPtr FakePhotoApplications::photoLibraryAlbum() const
{
    return std::static_pointer_cast<FakeScriptingObject>(
        m_iPhoto->root()->objectProperty(QStringLiteral("photo library album")));
}

void FakePhotoApplications::addPhoto(const QString& imagePath, const QString& originalPath)
{
    photoLibraryAlbum()->addElement(
        photosKind, {{QStringLiteral("image path"), imagePath}, {QStringLiteral("original path"), originalPath}});
}

QStringList FakePhotoApplications::photoImagePaths() const
{
    QStringList paths;
    for (const FakeScriptingObjectPtr& photo : photoLibraryAlbum()->fakeElements(photosKind))
        paths.append(photo->property(QStringLiteral("image path")).toString());
    return paths;
}

void FakePhotoApplications::addImageVersion(const QString& uuid, const QVariantMap& otherTags)
{
    const FakeScriptingObjectPtr version
        = m_aperture->root()->addElement(imageVersionsKind, {{QStringLiteral("id"), uuid}});
    for (auto tag = otherTags.cbegin(); tag != otherTags.cend(); ++tag)
        version->addElement(QStringLiteral("other tags"),
            {{QStringLiteral("name"), tag.key()}, {QStringLiteral("value"), tag.value()}});
}

QStringList FakePhotoApplications::keywordsOfImageVersion(const QString& uuid) const
{
    QStringList keywords;
    for (const FakeScriptingObjectPtr& version : m_aperture->root()->fakeElements(imageVersionsKind)) {
        if (version->property(QStringLiteral("id")).toString() != uuid)
            continue;
        for (const FakeScriptingObjectPtr& keyword : version->fakeElements(QStringLiteral("keywords")))
            keywords.append(keyword->property(QStringLiteral("name")).toString());
    }
    return keywords;
}

QStringList FakePhotoApplications::scripts() const
{
    std::lock_guard lock(m_mutex);
    return m_scripts;
}

void FakePhotoApplications::failScriptNumber(int number)
{
    std::lock_guard lock(m_mutex);
    m_failingScriptIndex = number > 0 ? m_scripts.size() + number - 1 : -1;
}

Error FakePhotoApplications::scriptError()
{
    return Error{QString::fromLatin1(ScriptingBridge::errorDomain), ScriptingBridge::ScriptFailedError,
        QStringLiteral("The fake application refused the script")};
}

FakePhotoApplications::Duration FakePhotoApplications::slept() const
{
    std::lock_guard lock(m_mutex);
    return m_slept;
}

int FakePhotoApplications::sleepCount() const
{
    std::lock_guard lock(m_mutex);
    return m_sleepCount;
}

} // namespace pairsift::test
