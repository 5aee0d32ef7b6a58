// The entry point of the recognition module (libtessary-recognition.so). Only this file and the
// engine behind it include Tesseract; the app reaches them through RecognitionEngineLoader.
#include "Recognition/RecognitionEngine.h"
#include "Recognition/TesseractEngine.h"

#include <QtGlobal>

#include <type_traits>

extern "C" Q_DECL_EXPORT RecognitionEngine* tessary_create_recognition_engine_v2(const QString& dataPath) {
    // The OpenMP runtime arrives with the module, so the worker thread can only be confined now.
    TesseractEngine::confineOpenMpToThisThread();
    return new TesseractEngine(dataPath);
}

static_assert(std::is_same_v<decltype(&tessary_create_recognition_engine_v2), RecognitionEngineFactory>);
