#pragma once

#include <QUrl>

// The vendor's pages that the title bar and the help button open in the default browser.
class VendorPages final
{
public:
    static const char *const HomePageAddress;

    static QUrl homePageUrl();
    // The help page installed beside the program: <program folder>/help/help.html.
    static QUrl helpPageUrl();
    static void openHomePage();
    static void openHelpPage();

private:
    static void open(const QUrl &url);
};
