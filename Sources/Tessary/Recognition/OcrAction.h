#pragma once

#include <QImage>
#include <QString>

#include <qcoro/qcorotask.h>

#include <functional>

class TextRecognizer;

// The OCR finishing action, once the overlays are gone: recognise the selection's text, put it on
// the clipboard and tell the user.
namespace OcrAction {

// Logs the start, recognises `image` (the cropped selection without annotations), puts non-empty
// text on the clipboard as plain text, logs the outcome and hands the notice text ("ocr.empty",
// "ocr.copied" or "ocr.failed", localised) to `showNotice` on the main thread. `showNotice` shows
// it near the selection and logs it like every notice (NoticePanel::show does both). Main thread
// only; `recognizer` outlives the task. The returned task may be dropped (it runs to the end on its own) or
// awaited.
QCoro::Task<> run(TextRecognizer& recognizer, QImage image,
                  std::function<void(const QString& notice)> showNotice);

// Characters as a reader counts them (grapheme clusters), the count the log and notice report.
int characterCount(const QString& text);

// The text as the content log line shows it: every line feed replaced by " ⏎ ".
QString logForm(QString text);

} // namespace OcrAction
