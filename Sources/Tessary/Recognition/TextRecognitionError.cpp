#include "Recognition/TextRecognitionError.h"

#include "App/L10n.h"

namespace {

const char* logText(TextRecognitionError::Kind kind) {
    switch (kind) {
    case TextRecognitionError::Kind::languageDataMissing:
        return "text recognition: no language data installed";
    case TextRecognitionError::Kind::languageDataUnreadable:
        return "text recognition: language data could not be loaded";
    case TextRecognitionError::Kind::imageTooLarge:
        return "text recognition: image too large";
    case TextRecognitionError::Kind::engineFailed:
        return "text recognition: engine failure";
    case TextRecognitionError::Kind::cancelled:
        return "text recognition: cancelled";
    }
    return "text recognition failed";
}

} // namespace

TextRecognitionError::TextRecognitionError(Kind kind, QStringList details, QStringList packages)
    : std::runtime_error(logText(kind)), m_kind(kind), m_details(std::move(details)),
      m_packages(std::move(packages)) {}

TextRecognitionError TextRecognitionError::languageDataMissing(const QStringList& packages) {
    return {Kind::languageDataMissing, {}, packages};
}

TextRecognitionError TextRecognitionError::languageDataUnreadable(const QStringList& languages,
                                                                  const QStringList& packages) {
    return {Kind::languageDataUnreadable, languages, packages};
}

TextRecognitionError TextRecognitionError::imageTooLarge(int width, int height) {
    return {Kind::imageTooLarge, {QString::number(width), QString::number(height)}, {}};
}

TextRecognitionError TextRecognitionError::engineFailed() {
    return {Kind::engineFailed, {}, {}};
}

TextRecognitionError TextRecognitionError::cancelled() {
    return {Kind::cancelled, {}, {}};
}

QString TextRecognitionError::localizedDescription() const {
    const QString packageList = m_packages.join(QLatin1Char(' '));
    switch (m_kind) {
    case Kind::languageDataMissing:
        return L10n::format(QStringLiteral("ocr.error.languageDataMissing"), {packageList});
    case Kind::languageDataUnreadable:
        return L10n::format(QStringLiteral("ocr.error.languageDataUnreadable"),
                            {m_details.join(QLatin1Char('+')), packageList});
    case Kind::imageTooLarge:
        return L10n::format(QStringLiteral("ocr.error.imageTooLarge"),
                            {m_details.value(0), m_details.value(1)});
    case Kind::engineFailed:
        return L10n::text(QStringLiteral("ocr.error.engineFailed"));
    case Kind::cancelled:
        return L10n::text(QStringLiteral("ocr.error.cancelled"));
    }
    return L10n::text(QStringLiteral("ocr.error.engineFailed"));
}
