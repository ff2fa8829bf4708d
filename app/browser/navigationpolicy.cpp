#include "app/browser/navigationpolicy.h"

#include "app/browser/localfiles.h"

namespace {

bool IsBlankOrSrcdoc(const QUrl& url) {
    return url.scheme() == QStringLiteral("about") &&
           (url.path() == QStringLiteral("blank") || url.path() == QStringLiteral("srcdoc"));
}

// A local file may open as the top-level document only by the user's own doing.
bool MayOpenLocal(const NavigationRequest& r) {
    if (r.redirect) return false;
    if (!r.mainFrame) return r.fromLocalPage;
    return r.origin == NavigationOrigin::kProgram || (r.origin == NavigationOrigin::kUser && r.fromLocalPage);
}

}  // namespace

bool IsShownScheme(const QUrl& url) {
    return localfiles::IsNetwork(url) || localfiles::IsLocal(url) || url.isLocalFile() ||
           url.scheme() == QStringLiteral("about") || url.scheme() == QStringLiteral("data");
}

NavigationVerdict DecideNavigation(const NavigationRequest& r) {
    if (localfiles::IsNetwork(r.url)) {
        // A local page that was not allowed its remote content goes to the network only when the
        // user (or the program) sends it there.
        const bool confined = r.fromLocalPage && !r.localContentAllowed;
        if (!confined) return NavigationVerdict::kAllow;
        if (!r.mainFrame) return NavigationVerdict::kDrop;
        const bool byUser = r.origin != NavigationOrigin::kPage || (r.redirect && r.continuesUserNavigation);
        return byUser ? NavigationVerdict::kAllow : NavigationVerdict::kDrop;
    }
    if (IsBlankOrSrcdoc(r.url)) return NavigationVerdict::kAllow;
    if (r.url.scheme() == QStringLiteral("data"))
        return r.mainFrame ? NavigationVerdict::kDrop : NavigationVerdict::kAllow;
    if (localfiles::IsLocal(r.url)) return MayOpenLocal(r) ? NavigationVerdict::kAllow : NavigationVerdict::kDrop;
    // A file: URL (an absolute link in a local page, a typed address) opens in the local scheme;
    // a frame cannot be sent elsewhere, so a file: frame stays empty.
    if (r.url.isLocalFile())
        return r.mainFrame && MayOpenLocal(r) ? NavigationVerdict::kOpenAsLocal : NavigationVerdict::kDrop;
    if (r.url.scheme() == QStringLiteral("about")) return NavigationVerdict::kDrop;
    const bool clicked = r.origin == NavigationOrigin::kUser && !r.redirect;
    return r.mainFrame && clicked ? NavigationVerdict::kAskUser : NavigationVerdict::kDrop;
}
