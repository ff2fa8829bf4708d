// Which navigations the embedded browser lets a page make.
//
// Shown are web pages (http, https), local files (through the browser's own local scheme), the
// blank page and, inside frames, data: documents. Only the user opens a local file: the program's
// own commands (an address, the open dialog, back, forward, reload) and a click in a local page;
// a redirect (HTTP, meta refresh, script) into a local file is refused, and so is any navigation
// to one that a page from the network or a script asks for. A local page does not send the
// browser to the network by itself (a meta refresh, a script) unless the user allowed its
// content. A link of any other scheme (mailto:, tel:, …) is never followed: a click on it asks
// the user whether to hand it to the desktop; a script or a redirect that goes there is dropped.
#pragma once

#include <QUrl>

/// Who asked for a navigation.
enum class NavigationOrigin {
    kProgram,  // the program's own command: an address, the open dialog, back, forward, reload
    kUser,     // the user in the page: a click on a link or a form, just after a click or a key
    kPage,     // the page itself: a script, a meta refresh, a redirect
};

/// What asked for a navigation.
struct NavigationRequest {
    QUrl url;               // as the engine reports it (local files in the local scheme)
    bool mainFrame = true;  // the top-level document rather than a frame
    NavigationOrigin origin = NavigationOrigin::kPage;
    bool redirect = false;                 // an HTTP redirect, a meta refresh or a script's early jump
    bool fromLocalPage = false;            // the document on screen is a local file
    bool localContentAllowed = false;      // the user allowed that local page's scripts and remote content
    bool continuesUserNavigation = false;  // a redirect of a navigation the user or program started
};

/// What the browser does with a navigation.
enum class NavigationVerdict {
    kAllow,        // let it go ahead
    kOpenAsLocal,  // a file: URL: open it in the local scheme instead
    kAskUser,      // an external scheme clicked by the user: ask before handing it to the desktop
    kDrop,         // refuse it
};

/// Decides a navigation request.
NavigationVerdict DecideNavigation(const NavigationRequest& request);

/// True for a scheme the browser shows itself (whether or not a given request may go there).
bool IsShownScheme(const QUrl& url);
