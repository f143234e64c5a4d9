#pragma once

#include <QString>

namespace tervalo::sending {

// What a bulk run shows while it works: the dialog's information group. The dialog implements it
// with its labels; tervalo-cli and the tests keep the values (BulkEmailingTexts).
class BulkEmailingView {
public:
    virtual ~BulkEmailingView() = default;

    virtual void setInformationVisible(bool visible) = 0;
    virtual void setStatusText(const QString& text) = 0;        // lblCapInfo
    virtual void setLinkVisible(bool visible) = 0;              // lblZde, the link to the protocol
    virtual void setDebtorLinesVisible(bool visible) = 0;       // name and address with their captions
    virtual void setDebtorName(const QString& name) = 0;        // lblNazevFirmy
    virtual void setDebtorAddress(const QString& address) = 0;  // lblEmailAdresa
    virtual void setGeneratedCount(const QString& text) = 0;    // lblPocetVygenerovanych
    virtual void setSkippedCount(const QString& text) = 0;      // lblPocetVynechanych
    virtual void setProgressMaximum(int maximum) = 0;           // pbSendEmail
    virtual void setProgress(int position) = 0;
};

}  // namespace tervalo::sending
