#pragma once

#include "platform/UserInterface.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace tervalo::browser {

// The note dialog for an e-mail address or a document.
class TfrmInformace : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInformace(QWidget* parent = nullptr);

    void prepare(const NoteDialogRequest& request);
    QString note() const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* m_lblInfoText;
    QLabel* m_lblPoznNadpis;
    QLabel* m_lblSpojKlic;
    QPlainTextEdit* m_memPoznamka;
    QLabel* m_lblNadpis1;
    QLabel* m_lblNadpis4;
};

}  // namespace tervalo::browser
