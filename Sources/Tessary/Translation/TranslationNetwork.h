#pragma once

class QNetworkAccessManager;

// The translation engines' one network manager on the main thread: no cookies kept, no cache,
// the system proxy, redirects not followed (a redirect is reported as its status, so a key never
// follows it to another host).
namespace TranslationNetwork {
QNetworkAccessManager& manager();
} // namespace TranslationNetwork
