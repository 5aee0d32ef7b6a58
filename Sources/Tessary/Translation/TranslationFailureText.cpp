#include "Translation/TranslationFailureText.h"

#include "Foundation/L10n.h"

namespace TranslationFailureText {

QString localizedDescription(const tessary::TranslationFailure& failure) {
    if (failure.kind() == tessary::TranslationFailure::Kind::cloud) {
        return QString::fromStdString(failure.secondText());
    }
    const QString key = QString::fromUtf8(failure.localizationKey().data(),
                                          static_cast<qsizetype>(failure.localizationKey().size()));
    const QString format = L10n::text(key);
    const std::vector<std::string> arguments = failure.formatArguments();
    // One pass for all arguments: a server body that contains "%1" must stay as it came.
    switch (arguments.size()) {
    case 0:
        return format;
    case 1:
        return format.arg(QString::fromStdString(arguments[0]));
    default:
        return format.arg(QString::fromStdString(arguments[0]), QString::fromStdString(arguments[1]));
    }
}

} // namespace TranslationFailureText
