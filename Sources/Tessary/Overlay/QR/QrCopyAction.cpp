#include "Overlay/QR/QrCopyAction.h"

#include "Foundation/L10n.h"
#include "Output/Clipboard.h"
#include "Overlay/Session/NoticePanel.h"

#include <QScreen> // NoticePanel keeps a QPointer<QScreen>

namespace QrCopyAction {

QString joinedPayloads(const QStringList& payloads) {
    return payloads.join(QStringLiteral("\n\n"));
}

QString noticeText(const QString& joined) {
    QString oneLine = joined;
    oneLine.replace(QLatin1Char('\n'), QStringLiteral(" · "));
    return L10n::format(QStringLiteral("qr.copied"), {oneLine});
}

bool perform(const QStringList& payloads, const std::optional<tessary::Rect>& globalSelection,
             const std::function<void()>& finish) {
    if (payloads.isEmpty() || !globalSelection) {
        return false;
    }
    const QString joined = joinedPayloads(payloads);
    if (finish) {
        finish();
    }
    Clipboard::writeText(joined);
    // The notice paints its text as plain text: a payload never turns into markup or a link.
    NoticePanel::show(noticeText(joined), globalSelection);
    return true;
}

} // namespace QrCopyAction
