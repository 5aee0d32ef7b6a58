#pragma once

#include <QObject>
#include <QString>

// The update checker as the general pane's card shows it.
class UpdateCardModel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~UpdateCardModel() override = default;

    virtual QString currentVersionText() const = 0;
    // Localised status line; outside text (release names) arrives as plain text.
    virtual QString statusText() const = 0;
    virtual bool canDownload() const = 0;
    virtual void checkNow() = 0;
    virtual void openDownload() = 0;

Q_SIGNALS:
    void statusChanged();
};
