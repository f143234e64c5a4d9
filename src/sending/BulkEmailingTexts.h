#pragma once

#include "sending/BulkEmailingView.h"

namespace tervalo::sending {

// The information group as values, for front ends without widgets.
struct BulkEmailingTexts final : BulkEmailingView {
    bool informationVisible = false;
    QString statusText;
    bool linkVisible = false;
    bool debtorLinesVisible = false;
    QString debtorName;
    QString debtorAddress;
    QString generatedCount;
    QString skippedCount;
    int progressMaximum = 0;
    int progress = 0;

    void setInformationVisible(bool visible) override { informationVisible = visible; }
    void setStatusText(const QString& text) override { statusText = text; }
    void setLinkVisible(bool visible) override { linkVisible = visible; }
    void setDebtorLinesVisible(bool visible) override { debtorLinesVisible = visible; }
    void setDebtorName(const QString& name) override { debtorName = name; }
    void setDebtorAddress(const QString& address) override { debtorAddress = address; }
    void setGeneratedCount(const QString& text) override { generatedCount = text; }
    void setSkippedCount(const QString& text) override { skippedCount = text; }
    void setProgressMaximum(int maximum) override { progressMaximum = maximum; }
    void setProgress(int position) override { progress = position; }
};

}  // namespace tervalo::sending
