#pragma once

#include "TessaryCore/Geometry.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The toolbar's QR action: the payloads found in the selection go to the clipboard as plain text.
namespace QrCopyAction {

// Payloads separated by an empty line.
QString joinedPayloads(const QStringList& payloads);
// The localised notice for the copied text, on one line.
QString noticeText(const QString& joined);

// Without payloads or without a selection nothing happens (false) and the session stays. Otherwise
// `finish` ends the session first, the joined payloads replace the clipboard's contents, and a
// notice appears near `globalSelection` (global points, y up) and is logged.
bool perform(const QStringList& payloads, const std::optional<tessary::Rect>& globalSelection,
             const std::function<void()>& finish);

} // namespace QrCopyAction
