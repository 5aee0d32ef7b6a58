#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

// Why text recognition failed. Thrown by TextRecognizer::recognize; the description is built when
// asked for (on the main thread) so it follows the language in force.
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
    };

    static TextRecognitionError languageDataMissing(const QStringList& packages);
    static TextRecognitionError languageDataUnreadable(const QStringList& languages,
                                                       const QStringList& packages);
    static TextRecognitionError imageTooLarge(int width, int height);
    static TextRecognitionError engineFailed();
    static TextRecognitionError cancelled();

    Kind kind() const { return m_kind; }
    const QStringList& packages() const { return m_packages; }
    QString localizedDescription() const;

private:
    TextRecognitionError(Kind kind, QStringList details, QStringList packages);

    Kind m_kind;
    QStringList m_details;
    QStringList m_packages;
};
