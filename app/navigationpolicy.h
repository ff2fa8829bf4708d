// Which navigations the embedded browser lets a page make.
//
// Shown are web pages (http, https), local files (through the browser's own local scheme), the
// blank page and, inside frames, data: documents. A local file opens only when the program or a
// local page asks for it, never when a page from the network does. A link of any other scheme
// (mailto:, tel:, …) is never followed: a click on it asks the user whether to hand it to the
// desktop; a script or a redirect that goes there is dropped.
#pragma once

#include <QUrl>

/// What asked for a navigation.
struct NavigationRequest {
    QUrl url;                       // as the engine reports it (local files in the local scheme)
    bool mainFrame = true;          // the top-level document rather than a frame
    bool linkClicked = false;       // the user clicked a link
    bool startedByProgram = false;  // the program's own command (an address, back, forward, reload)
    bool fromLocalPage = false;     // the page on screen is a local file
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
