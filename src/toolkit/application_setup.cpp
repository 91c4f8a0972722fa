#include "application_setup.h"

#include <array>
#include <utility>

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>

#include "toolkit/install_layout.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

// The board's fonts have no Linux namesakes; these metric-compatible faces keep every caption
// within its stored size.
constexpr std::array<std::pair<const char16_t*, const char16_t*>, 4> kFontStandIns{{
    {u"MS Sans Serif", u"Liberation Sans"},
    {u"Arial", u"Liberation Sans"},
    {u"Arial Black", u"Liberation Sans"},
    {u"Times New Roman", u"Liberation Serif"},
}};

} // namespace

void configureApplication(QApplication& app) {
    QApplication::setApplicationName(u"brivadoro"_s);
    QApplication::setOrganizationName({});
    // Ties the window to the installed desktop entry, whose icon the desktop then shows.
    QApplication::setDesktopFileName(kDesktopFileId.toString());
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    // The game alone decides when the program ends; a new game hides its old board while the name
    // box of the next one is the only window.
    QApplication::setQuitOnLastWindowClosed(false);
    for (const auto& [face, standIn] : kFontStandIns)
        QFont::insertSubstitution(QString::fromUtf16(face), QString::fromUtf16(standIn));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Italian), u"qtbase"_s, u"_"_s,
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

} // namespace brivadoro
