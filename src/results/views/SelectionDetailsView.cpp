#include "results/views/SelectionDetailsView.h"

#include "results/SelectionDetails.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pairsift {

namespace {

constexpr int PreviewSide = 96;

QLabel* valueLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    label->setMinimumWidth(1);
    return label;
}

} // namespace

SelectionDetailsView::SelectionDetailsView(SelectionDetails& details, QWidget* parent)
    : QWidget(parent)
    , m_details(details)
    , m_preview(new QLabel(this))
    , m_name(valueLabel(this))
    , m_kind(valueLabel(this))
    , m_size(valueLabel(this))
    , m_date(valueLabel(this))
    , m_preferOld(new QRadioButton(QStringLiteral("Keep older files"), this))
    , m_preferNew(new QRadioButton(QStringLiteral("Keep newer files"), this))
{
    // Room for a path of a few folders without squeezing the list.
    setMinimumWidth(260);
    m_preview->setFixedSize(PreviewSide, PreviewSide);
    m_preview->setAlignment(Qt::AlignCenter);

    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    form->addRow(QStringLiteral("Name:"), m_name);
    form->addRow(QStringLiteral("Kind:"), m_kind);
    form->addRow(QStringLiteral("Size:"), m_size);
    form->addRow(QStringLiteral("Created:"), m_date);

    auto* choices = new QButtonGroup(this);
    choices->addButton(m_preferOld);
    choices->addButton(m_preferNew);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_preview, 0, Qt::AlignHCenter);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addWidget(m_preferOld);
    layout->addWidget(m_preferNew);

    // Only a click writes the setting; showing the setting never does.
    connect(m_preferOld, &QRadioButton::clicked, this, [this] { m_details.setPreferOldFiles(true); });
    connect(m_preferNew, &QRadioButton::clicked, this, [this] { m_details.setPreferNewFiles(true); });
    connect(&m_details, &SelectionDetails::selectionChanged, this, &SelectionDetailsView::showSelection);
    connect(&m_details, &SelectionDetails::previewChanged, this, &SelectionDetailsView::showPreview);
    connect(&m_details, &SelectionDetails::preferFilesChanged, this, &SelectionDetailsView::showPreferFiles);
    showSelection();
    showPreview();
    showPreferFiles();
}

void SelectionDetailsView::showSelection()
{
    m_name->setText(m_details.selectedFileName());
    m_kind->setText(m_details.selectedFileKind());
    m_size->setText(m_details.selectedFileSize());
    m_date->setText(m_details.selectedFileDate());
}

void SelectionDetailsView::showPreview()
{
    QImage picture = m_details.preview();
    if (picture.width() > PreviewSide || picture.height() > PreviewSide)
        picture = picture.scaled(PreviewSide, PreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_preview->setPixmap(QPixmap::fromImage(picture));
}

void SelectionDetailsView::showPreferFiles()
{
    m_preferOld->setChecked(m_details.preferOldFiles());
    m_preferNew->setChecked(m_details.preferNewFiles());
}

} // namespace pairsift
