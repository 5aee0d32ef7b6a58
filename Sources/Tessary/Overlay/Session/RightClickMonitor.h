#pragma once

#include <QObject>

#include <functional>

// Application-wide watch for right-button presses. The handler decides whether the press is
// swallowed (true) or delivered as usual (false).
class RightClickMonitor : public QObject {
    Q_OBJECT
public:
    explicit RightClickMonitor(std::function<bool()> handler, QObject* parent = nullptr);
    ~RightClickMonitor() override;

    // Stops watching and deletes itself later; safe to call from inside the handler.
    void dispose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool()> handler_;
};
