#pragma once

#include "Preferences/UpdateCardModel.h"

class UpdateChecker;

// The general pane's update card over the update checker.
class UpdateCardAdapter : public UpdateCardModel {
    Q_OBJECT
public:
    // `checker` outlives the adapter.
    explicit UpdateCardAdapter(UpdateChecker& checker, QObject* parent = nullptr);

    QString currentVersionText() const override;
    QString statusText() const override;
    bool canDownload() const override;
    void checkNow() override;
    void openDownload() override;

private:
    UpdateChecker& m_checker;
};
