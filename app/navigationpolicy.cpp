#include "app/navigationpolicy.h"

#include "app/localfiles.h"

namespace {

bool IsWeb(const QUrl& url) {
    return url.scheme() == QStringLiteral("http") || url.scheme() == QStringLiteral("https");
}

bool IsBlankOrSrcdoc(const QUrl& url) {
    return url.scheme() == QStringLiteral("about") &&
           (url.path() == QStringLiteral("blank") || url.path() == QStringLiteral("srcdoc"));
}

}  // namespace

bool IsShownScheme(const QUrl& url) {
    return IsWeb(url) || localfiles::IsLocal(url) || url.isLocalFile() || url.scheme() == QStringLiteral("about") ||
           url.scheme() == QStringLiteral("data");
}

NavigationVerdict DecideNavigation(const NavigationRequest& r) {
    const bool mayOpenLocal = r.mainFrame ? r.startedByProgram || r.fromLocalPage : r.fromLocalPage;
    if (IsWeb(r.url) || IsBlankOrSrcdoc(r.url)) return NavigationVerdict::kAllow;
    if (r.url.scheme() == QStringLiteral("data"))
        return r.mainFrame ? NavigationVerdict::kDrop : NavigationVerdict::kAllow;
    if (localfiles::IsLocal(r.url)) return mayOpenLocal ? NavigationVerdict::kAllow : NavigationVerdict::kDrop;
    // A file: URL (an absolute link in a local page, a typed address) opens in the local scheme;
    // a frame cannot be sent elsewhere, so a file: frame stays empty.
    if (r.url.isLocalFile())
        return mayOpenLocal && r.mainFrame ? NavigationVerdict::kOpenAsLocal : NavigationVerdict::kDrop;
    if (r.url.scheme() == QStringLiteral("about")) return NavigationVerdict::kDrop;
    return r.mainFrame && r.linkClicked ? NavigationVerdict::kAskUser : NavigationVerdict::kDrop;
}
