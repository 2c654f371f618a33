#include "widgets/VendorPages.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>

const char *const VendorPages::HomePageAddress = "https://tickvale.example/";

QUrl VendorPages::homePageUrl()
{
    return QUrl(QString::fromLatin1(HomePageAddress));
}

QUrl VendorPages::helpPageUrl()
{
    return QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + QStringLiteral("/help/help.html"));
}

void VendorPages::openHomePage()
{
    open(homePageUrl());
}

void VendorPages::openHelpPage()
{
    open(helpPageUrl());
}

void VendorPages::open(const QUrl &url)
{
    if (!QDesktopServices::openUrl(url))
        qWarning() << "No browser took the page" << url.toString();
}
