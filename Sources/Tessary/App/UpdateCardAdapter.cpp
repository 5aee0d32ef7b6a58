#include "App/UpdateCardAdapter.h"

#include "Updates/UpdateChecker.h"

UpdateCardAdapter::UpdateCardAdapter(UpdateChecker& checker, QObject* parent)
    : UpdateCardModel(parent), m_checker(checker) {
    connect(&m_checker, &UpdateChecker::didChange, this, &UpdateCardModel::statusChanged);
}

QString UpdateCardAdapter::currentVersionText() const {
    return m_checker.currentVersionText();
}

QString UpdateCardAdapter::statusText() const {
    return UpdateChecker::text(m_checker.status());
}

bool UpdateCardAdapter::canDownload() const {
    return m_checker.status().kind == tessary::UpdateStatus::Kind::available;
}

void UpdateCardAdapter::checkNow() {
    m_checker.check(true);
}

void UpdateCardAdapter::openDownload() {
    m_checker.openDownload();
}
