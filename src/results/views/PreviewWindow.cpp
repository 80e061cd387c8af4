#include "results/views/PreviewWindow.h"

#include "platform/Format.h"
#include "platform/SerialQueue.h"
#include "results/IconAndKindCache.h"
#include "results/views/PreviewPictureView.h"
#include "support/foundation/DateFormatting.h"
#include "ui/Animations.h"
#include "ui/WindowPlacement.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeDatabase>
#include <QPlainTextEdit>
#include <QPropertyAnimation>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace pairsift {

namespace {

enum Page { PicturePage, TextPage, IconPage };

// Pictures are read no larger than this (a large screen's side, 16 MiB at most); texts no longer than
// TextHead bytes.
constexpr int PictureSide = 2048;
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

PreviewWindow::PreviewWindow(PreviewPanelController& controller, IconAndKindCache& icons, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowDoesNotAcceptFocus)
    , m_controller(controller)
    , m_icons(icons)
    , m_reader(std::make_unique<SerialQueue>(QStringLiteral("com.lanternforges.Pairsift.PreviewReader")))
    , m_pages(new QStackedWidget(this))
    , m_picture(new PreviewPictureView(m_pages))
    , m_text(new QPlainTextEdit(m_pages))
    , m_icon(new QLabel)
    , m_details(new QLabel)
    , m_steps(new QWidget(this))
    , m_previous(new QToolButton(m_steps))
    , m_next(new QToolButton(m_steps))
    , m_position(new QLabel(m_steps))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    resize(640, 520);

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

    for (QToolButton* button : {m_previous, m_next}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
    }
    m_previous->setArrowType(Qt::LeftArrow);
    m_previous->setToolTip(tr("Previous item"));
    m_next->setArrowType(Qt::RightArrow);
    m_next->setToolTip(tr("Next item"));
    connect(m_previous, &QToolButton::clicked, this, &PreviewWindow::selectPreviousItem);
    connect(m_next, &QToolButton::clicked, this, &PreviewWindow::selectNextItem);
    auto* steps = new QHBoxLayout(m_steps);
    steps->setContentsMargins(6, 2, 6, 2);
    steps->addStretch(1);
    steps->addWidget(m_previous);
    steps->addWidget(m_position);
    steps->addWidget(m_next);
    steps->addStretch(1);
    m_steps->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pages, 1);
    layout->addWidget(m_steps);

    // The keyboard stays in the parent's window; Esc there closes the preview while it is open. Hidden
    // with a scan's view, the parent takes its shortcut along, so Esc stops the scan then.
    if (parent) {
        m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), parent, [this] { orderOut(); }, Qt::WindowShortcut);
        m_escape->setEnabled(false);
    }
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

void PreviewWindow::makeKeyAndOrderFront()
{
    if (isOpen())
        return;
    if (m_zoom)
        m_zoom->stop();
    m_isClosing = false;
    if (!m_isControlled && m_controller.acceptsPreviewPanelControl(*this)) {
        m_isControlled = true;
        m_controller.beginPreviewPanelControl(*this);
    }
    reloadData();
    placeOnScreen();
    const QRect target = geometry();
    const QRect from = zoomFrame();
    if (!from.isNull())
        setGeometry(from);
    show();
    raise();
    if (m_escape)
        m_escape->setEnabled(true);
    if (!from.isNull())
        zoom(from, target, false);
}

void PreviewWindow::orderOut()
{
    if (!isOpen())
        return;
    // An opening zoom still running ends where it was going: that is the frame to keep.
    if (m_zoom) {
        m_zoom->setCurrentTime(m_zoom->duration());
        m_zoom->stop();
    }
    m_openFrame = geometry();
    m_isClosing = true;
    const QRect to = zoomFrame();
    if (to.isNull())
        hide();
    else
        zoom(geometry(), to, true);
}

void PreviewWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Hidden with the main window, it comes back with it, still in the same hands.
    if (event->spontaneous())
        return;
    if (!m_isClosing)
        m_openFrame = geometry();
    m_isClosing = false;
    if (m_escape)
        m_escape->setEnabled(false);
    if (m_isControlled) {
        m_isControlled = false;
        m_controller.endPreviewPanelControl(*this);
    }
}

void PreviewWindow::placeOnScreen()
{
    const QWidget* mainWindow = parentWidget() ? parentWidget()->window() : nullptr;
    // The size it had when open; it may still have the size of the rectangle it closed to.
    const QSize insideSize = m_openFrame ? m_openFrame->size() : size();
    setGeometry(insideOnScreen(m_openFrame, insideSize, availableScreenArea(mainWindow),
                               windowDecorations(*this, mainWindow)));
}

QRect PreviewWindow::zoomFrame()
{
    if (!m_delegate || !m_currentItem)
        return {};
    const QRect frame = m_delegate->sourceFrameOnScreenForPreviewItem(*this, m_currentItem);
    return frame.isNull() ? m_delegate->frameForURL(*this, m_currentItem->previewItemURL()) : frame;
}

void PreviewWindow::zoom(const QRect& from, const QRect& to, bool thenHide)
{
    if (Animations::duration() <= 0) {
        if (thenHide)
            hide();
        else
            setGeometry(to);
        return;
    }
    auto* animation = new QPropertyAnimation(this, "geometry", this);
    animation->setDuration(Animations::duration());
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    if (thenHide)
        connect(animation, &QPropertyAnimation::finished, this, &QWidget::hide);
    m_zoom = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void PreviewWindow::reloadData()
{
    const qsizetype count = m_dataSource ? m_dataSource->numberOfPreviewItemsInPreviewPanel(*this) : 0;
    // The shown file stays shown while it is still among the items.
    qsizetype index = 0;
    for (qsizetype candidate = 0; m_currentItem && candidate < count; ++candidate) {
        if (m_dataSource->previewItemAtIndex(*this, candidate) == m_currentItem) {
            index = candidate;
            break;
        }
    }
    m_itemCount = count;
    setCurrentPreviewItemIndex(index);
}

void PreviewWindow::setCurrentPreviewItemIndex(qsizetype index)
{
    m_currentIndex = m_itemCount > 0 ? std::clamp<qsizetype>(index, 0, m_itemCount - 1) : 0;
    m_currentItem = m_itemCount > 0 ? m_dataSource->previewItemAtIndex(*this, m_currentIndex) : nullptr;
    m_steps->setVisible(m_itemCount > 1);
    m_position->setText(formatString("%ld of %ld", m_currentIndex + 1, m_itemCount));
    showCurrentItem();
}

void PreviewWindow::selectNextItem()
{
    if (m_itemCount > 1)
        setCurrentPreviewItemIndex((m_currentIndex + 1) % m_itemCount);
}

void PreviewWindow::selectPreviousItem()
{
    if (m_itemCount > 1)
        setCurrentPreviewItemIndex((m_currentIndex + m_itemCount - 1) % m_itemCount);
}

void PreviewWindow::showCurrentItem()
{
    const quint64 generation = ++m_generation;
    const FileItemPtr file = m_currentItem;
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
    m_picture->setPicture(content.picture);
    if (!content.picture.isNull()) {
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
    if (event->key() == Qt::Key_Escape) {
        orderOut();
        return;
    }
    if (!m_delegate || !m_delegate->handleEvent(*this, event))
        QWidget::keyPressEvent(event);
}

} // namespace pairsift
