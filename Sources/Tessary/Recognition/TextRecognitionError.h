#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

// Why text recognition failed. Thrown by TextRecognizer::recognize; the description is built when
// asked for (on the main thread) so it follows the language in force. The recognition module
// throws it too, so everything but the description is defined here, in the header.
class TextRecognitionError : public std::runtime_error {
public:
    enum class Kind {
        // No language data at all: `packages` says what to install.
        languageDataMissing,
        // The engine refused the installed data for `languages` (damaged or unreadable files).
        languageDataUnreadable,
        // The image is larger than the engine can address.
        imageTooLarge,
        // The engine reported a failure while recognising.
        engineFailed,
        // The recogniser shut down before the request was served.
        cancelled,
        // No recognition module in any of the searched directories.
        engineModuleMissing,
        // A recognition module was found but could not be loaded (damaged, wrong version).
        engineModuleUnusable,
    };

    static TextRecognitionError languageDataMissing(const QStringList& packages) {
        return {Kind::languageDataMissing, {}, packages};
    }
    static TextRecognitionError languageDataUnreadable(const QStringList& languages,
                                                       const QStringList& packages) {
        return {Kind::languageDataUnreadable, languages, packages};
    }
    static TextRecognitionError imageTooLarge(int width, int height) {
        return {Kind::imageTooLarge, {QString::number(width), QString::number(height)}, {}};
    }
    static TextRecognitionError engineFailed() { return {Kind::engineFailed, {}, {}}; }
    static TextRecognitionError cancelled() { return {Kind::cancelled, {}, {}}; }
    // `searched`: the module files looked for, in search order.
    static TextRecognitionError engineModuleMissing(const QStringList& searched) {
        return {Kind::engineModuleMissing, searched, {}};
    }
    // `path`: the module that was found; `reason`: what the loader said about it.
    static TextRecognitionError engineModuleUnusable(const QString& path, const QString& reason) {
        return {Kind::engineModuleUnusable, {path, reason}, {}};
    }

    Kind kind() const { return m_kind; }
    const QStringList& packages() const { return m_packages; }
    QString localizedDescription() const;

private:
    TextRecognitionError(Kind kind, QStringList details, QStringList packages)
        : std::runtime_error(logText(kind)), m_kind(kind), m_details(std::move(details)),
          m_packages(std::move(packages)) {}
    static const char* logText(Kind kind) {
        switch (kind) {
        case Kind::languageDataMissing:
            return "text recognition: no language data installed";
        case Kind::languageDataUnreadable:
            return "text recognition: language data could not be loaded";
        case Kind::imageTooLarge:
            return "text recognition: image too large";
        case Kind::engineFailed:
            return "text recognition: engine failure";
        case Kind::cancelled:
            return "text recognition: cancelled";
        case Kind::engineModuleMissing:
            return "text recognition: engine module missing";
        case Kind::engineModuleUnusable:
            return "text recognition: engine module could not be loaded";
        }
        return "text recognition failed";
    }

    Kind m_kind;
    QStringList m_details;
    QStringList m_packages;
};
