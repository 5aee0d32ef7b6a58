#include "Recognition/TextRecognitionError.h"

#include "Foundation/L10n.h"

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
    case Kind::engineModuleMissing:
        return L10n::format(QStringLiteral("ocr.error.engineModuleMissing"),
                            {m_details.join(QStringLiteral(", "))});
    case Kind::engineModuleUnusable:
        return L10n::format(QStringLiteral("ocr.error.engineModuleUnusable"),
                            {m_details.value(0), m_details.value(1)});
    }
    return L10n::text(QStringLiteral("ocr.error.engineFailed"));
}
