#include "results/views/PreviewWindow.h"

#include "platform/SerialQueue.h"
#include "results/IconAndKindCache.h"
#include "support/foundation/DateFormatting.h"
#include "ui/KeyForwardingOutlineView.h"

#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeDatabase>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace pairsift {

namespace {

enum Page { PicturePage, TextPage, IconPage };

// Pictures are read no larger than this; texts no longer than TextHead bytes.
constexpr int PictureSide = 1024;
constexpr qint64 TextHead = 16 * 1024;
constexpr int IconSide = 128;

QImage readPicture(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {};
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > PictureSide || size.height() > PictureSide))
        reader.setScaledSize(size.scaled(PictureSide, PictureSide, Qt::KeepAspectRatio));
    return reader.read();
}

QString readTextHead(const QString& path)
{
    if (!QMimeDatabase().mimeTypeForFile(path).inherits(QStringLiteral("text/plain")))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(TextHead));
}

} // namespace

struct PreviewWindow::Content {
    QImage picture;
    QString text;
};

PreviewWindow::PreviewWindow(KeyForwardingOutlineView& list, IconAndKindCache& icons, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowDoesNotAcceptFocus)
    , m_list(list)
    , m_icons(icons)
    , m_reader(std::make_unique<SerialQueue>(QStringLiteral("com.lanternforges.Pairsift.PreviewReader")))
    , m_pages(new QStackedWidget(this))
    , m_picture(new QLabel(m_pages))
    , m_text(new QPlainTextEdit(m_pages))
    , m_icon(new QLabel)
    , m_details(new QLabel)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    resize(520, 420);

    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setMinimumSize(1, 1);
    m_text->setReadOnly(true);
    m_text->setFocusPolicy(Qt::NoFocus);
    m_icon->setAlignment(Qt::AlignCenter);
    m_details->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_details->setWordWrap(true);
    auto* iconPage = new QWidget(m_pages);
    auto* iconLayout = new QVBoxLayout(iconPage);
    iconLayout->addStretch(1);
    iconLayout->addWidget(m_icon);
    iconLayout->addWidget(m_details);
    iconLayout->addStretch(1);
    m_pages->insertWidget(PicturePage, m_picture);
    m_pages->insertWidget(TextPage, m_text);
    m_pages->insertWidget(IconPage, iconPage);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);
}

PreviewWindow::~PreviewWindow()
{
    // A read still running finishes first; its answer dies with this object.
    m_reader.reset();
}

int PreviewWindow::pageIndex() const
{
    return m_pages->currentIndex();
}

void PreviewWindow::setItems(QList<FileItemPtr> items)
{
    m_items = std::move(items);
    reloadData();
}

void PreviewWindow::reloadData()
{
    const quint64 generation = ++m_generation;
    const FileItemPtr file = m_items.isEmpty() ? nullptr : m_items.constFirst();
    setWindowTitle(file ? file->previewItemTitle() : QString());
    if (!file) {
        display(nullptr, {});
        return;
    }
    m_reader->cancelPending();
    m_reader->async([this, generation, file, path = file->name()] {
        Content content{readPicture(path), {}};
        if (content.picture.isNull())
            content.text = readTextHead(path);
        QMetaObject::invokeMethod(this, [this, generation, file, content = std::move(content)] {
            if (generation == m_generation)
                display(file, content);
        }, Qt::QueuedConnection);
    });
}

void PreviewWindow::display(const FileItemPtr& file, const Content& content)
{
    if (!content.picture.isNull()) {
        const QSize room = m_pages->size().boundedTo(content.picture.size());
        m_picture->setPixmap(QPixmap::fromImage(content.picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        m_pages->setCurrentIndex(PicturePage);
        return;
    }
    if (!content.text.isNull()) {
        m_text->setPlainText(content.text);
        m_pages->setCurrentIndex(TextPage);
        return;
    }
    m_icon->setPixmap(file ? QPixmap::fromImage(m_icons.iconImage(*file, IconSide)) : QPixmap());
    if (file) {
        const StyledDateFormatter dates(StyledDateFormatter::Style::Medium, StyledDateFormatter::Style::Medium);
        m_details->setText(QStringList{file->previewItemTitle(), m_icons.kindForPath(file->name()), file->sizeString(),
                                       dates.stringFromDate(file->dateCreated())}
                               .join(QLatin1Char('\n')));
    } else {
        m_details->clear();
    }
    m_pages->setCurrentIndex(IconPage);
}

void PreviewWindow::keyPressEvent(QKeyEvent* event)
{
    // Space closes the window and the arrows move through the list, as they do in the list.
    m_list.keyPressEvent(event);
}

} // namespace pairsift
