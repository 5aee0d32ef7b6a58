#pragma once

#include "TessaryCore/DocumentParagraphs.h"

#include <QImage>

#include <qcoro/qcorotask.h>

#include <vector>

class RecognitionWorker;

// Paragraph recognition of a selection for screenshot translation: the engine's layout analysis
// on the recognition worker that line OCR uses too (one engine serves both), then the container walk of tessary::DocumentParagraphs.
namespace DocumentLayoutRecognizer {

using Paragraph = tessary::DocumentParagraphs::Paragraph;

// The paragraphs of `image` (pixels) in document order, boxes in its pixels with a top-left
// origin. The recognition runs off the main thread; the caller resumes on the thread it awaited
// from. Throws TextRecognitionError.
QCoro::Task<std::vector<Paragraph>> recognizeParagraphs(RecognitionWorker& worker, QImage image);

// Recognises a small image once so that the first real request finds the engine loaded. Yields
// to every other recognition request. Never throws: success and failure are only logged.
QCoro::Task<> prewarm(RecognitionWorker& worker);
// Starts prewarm() in the background the first time it is called in this process; later calls do
// nothing. Called when the first capture session begins (not at launch: an idle process should
// not carry the engine). Main thread only.
void prewarmOnce(RecognitionWorker& worker);

// White 120 × 40 pixels with "Warm up" in black.
QImage warmUpImage();

} // namespace DocumentLayoutRecognizer
