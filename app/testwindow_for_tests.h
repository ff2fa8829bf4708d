// A main window over the in-memory browser with a settings folder of its own, as the window's
// tests make it, and a page loaded into it.
#pragma once

#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "app/fakebrowser.h"
#include "app/mainform.h"
#include "views/qt/qtext.h"

/// Makes the window; any error it reports fails the running test.
inline void OpenTestWindow(FakeBrowser*& browser, std::unique_ptr<QTemporaryDir>& dir, std::unique_ptr<TFormMain>& form,
                           std::vector<std::string> stopWordItems = {}) {
    browser = new FakeBrowser;  // the window owns it
    dir = std::make_unique<QTemporaryDir>();
    StartupSettings settings;
    settings.directory = dir->path().toStdString();
    settings.stopWordItems = std::move(stopWordItems);
    form = std::make_unique<TFormMain>(browser, std::move(settings));
    form->setErrorReporter([](const QString& message) { QFAIL(qPrintable(message)); });
}

/// Shows a page, given as text, as a Windows-1251 local file; the window then analyses it.
inline void LoadTestPage(FakeBrowser& browser, const QString& page) {
    browser.document = QByteArray::fromStdString(ToCp1251(page));
    browser.simulateLoad(QStringLiteral("file:///tmp/report.html"));
}
