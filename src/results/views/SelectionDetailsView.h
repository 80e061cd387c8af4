#pragma once

#include <QWidget>

class QLabel;
class QRadioButton;

namespace pairsift {

class SelectionDetails;

// The pane beside the results list: the preview picture, the name, kind, size and date of the selected
// file or group, and the two keep choices (older or newer files) over "prefer_files". It only shows the
// details object's properties and hands the choices back to it.
class SelectionDetailsView : public QWidget {
    Q_OBJECT

public:
    explicit SelectionDetailsView(SelectionDetails& details, QWidget* parent = nullptr);

    QLabel* previewLabel() const { return m_preview; }
    QLabel* nameLabel() const { return m_name; }
    QLabel* kindLabel() const { return m_kind; }
    QLabel* sizeLabel() const { return m_size; }
    QLabel* dateLabel() const { return m_date; }
    QRadioButton* preferOldFilesButton() const { return m_preferOld; }
    QRadioButton* preferNewFilesButton() const { return m_preferNew; }

private:
    void showSelection();
    void showPreview();
    void showPreferFiles();

    SelectionDetails& m_details;
    QLabel* m_preview;
    QLabel* m_name;
    QLabel* m_kind;
    QLabel* m_size;
    QLabel* m_date;
    QRadioButton* m_preferOld;
    QRadioButton* m_preferNew;
};

} // namespace pairsift
