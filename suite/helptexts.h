#pragma once
// The help texts that the station shows with the suite's text viewer: tclock0.txt (the
// employee and manager menus), tclock1.txt (the configuration window) and tchelp2.txt (the
// punch editor). Lines end in LF here; the installer writes them with CR LF.

#include <QList>
#include <QString>

namespace suite {

struct HelpText {
    QString name; // file name in the station folder
    QString text;
};

const QList<HelpText>& help_texts();

} // namespace suite
