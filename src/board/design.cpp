#include "design.h"

#include <array>

namespace brivadoro {

namespace {

using enum ControlKind;
using enum Pointer;
using namespace LabelFlag;

constexpr FontDesign kTargetFont{"MS Sans Serif", 24, true};
constexpr FontDesign kCommandFont{"MS Sans Serif", 8.25, true};
constexpr Colour kPurple = 0x00C000C0;
constexpr Colour kPaleYellow = 0x0080FFFF;
constexpr Colour kPaleCyan = 0x00FFFF80;
constexpr Colour kBlue = 0x00FF0000;
constexpr Colour kYellow = 0x0000FFFF;
constexpr Colour kDarkGreen = 0x00008000;
constexpr Colour kCommandGreen = 0x0000C000;

// clang-format off
constexpr std::array kControls{
//  kind             name           caption                  left   top  width height back          text          font                                       flags                                visible enabled tab tooltip pointer
    ControlDesign{GraphicalButton, "disparicmd2", "",                      5040, 6840, 1215, 1215, Colours::Cyan, std::nullopt, kTargetFont,                              0,                                   false, true,  31, "", Arrow},
    ControlDesign{GraphicalButton, "disparicmd1", "63",                    6840, 5160, 1215, 1215, Colours::Cyan, std::nullopt, kTargetFont,                              0,                                   false, true,  30, "", Arrow},
    ControlDesign{GraphicalButton, "paricmd2",    "",                      1560, 6480, 1215, 1215, Colours::Cyan, std::nullopt, kTargetFont,                              0,                                   false, true,  29, "", Arrow},
    ControlDesign{GraphicalButton, "paricmd1",    "",                      2880, 4200, 1215, 1215, Colours::Cyan, std::nullopt, kTargetFont,                              0,                                   false, true,  28, "", Arrow},
    ControlDesign{GraphicalButton, "cmdExit",     "E&xit",                 6120,    0, 3135,  735, kPurple,       std::nullopt, kCommandFont,                             0,                                   true,  true,  23,
                  "Ti prego resta ancora, forse riuscirai a farmi uscire ", Arrow},
    ControlDesign{GraphicalButton, "cmdNext",     "&Clicca per iniziare",  3000,    0, 3210,  735, kCommandGreen, std::nullopt, kCommandFont,                             0,                                   true,  false, 22, "Go", StandardIcon},
    ControlDesign{StandardButton,  "Inizio",      "Inizio",                3840,  120, 1215,  495, std::nullopt,  std::nullopt, {},                                       0,                                   false, true,  21, "", Arrow},
    ControlDesign{GraphicalButton, "paricmd",     "",                      2400, 1560, 1215, 1215, Colours::Cyan, std::nullopt, kTargetFont,                              0,                                   false, true,  20, "", TargetSight},
    ControlDesign{GraphicalButton, "disparicmd",  "",                      5760, 1560, 1215, 1215, Colours::Cyan, std::nullopt, kTargetFont,                              0,                                   false, true,  19, "", Arrow},
    ControlDesign{TextBox,         "txtAnswer",   "",                      5520, 1680, 2775, 1200, Colours::Cyan, std::nullopt, {"Arial", 48, true},                      0,                                   false, false,  4,
                  "Inserisci il risultato e  premi il tasto  Invio", Board},
    ControlDesign{Label, "Label6",     "Punti complessivi",  -120,    0, 3135,  735, kBlue,         kPaleYellow,   {"MS Sans Serif", 18},             Border | Centred | AutoSize,               true,  true,  27, "", Board},
    ControlDesign{Label, "lblMessage", "",                   1560, 3720, 6615,  615, Colours::Cyan, Colours::Red,  {"MS Sans Serif", 24, true, true}, Centred | Transparent,                      false, true,  26, "", StandardIcon},
    ControlDesign{Label, "lblScore",   "",                    600,  840, 1215,  975, kYellow,       std::nullopt,  {"Times New Roman", 36, true},     Border | Centred | Transparent,            true,  true,  25,
                  "Questo è il tuo punteggio. Forza con il  record", Board},
    ControlDesign{Label, "Punteggio",  "0",                   960, 1080,  495,  615, std::nullopt,  std::nullopt,  {"MS Sans Serif", 24},             Centred | AutoSize | Transparent,          true,  true,  24, "", Board},
    ControlDesign{Label, "lblpunti",   "0",                  8400, 7800,  270,  555, std::nullopt,  kPurple,       {"MS Sans Serif", 24},             AutoSize | Transparent,                    true,  true,  18, "", Board},
    ControlDesign{Label, "Label13",    "con punti",          6720, 7920, 1455,  435, std::nullopt,  kPurple,       {"MS Sans Serif", 18},             AutoSize | Transparent,                    true,  true,  17, "", Board},
    ControlDesign{Label, "lblnome",    "nome",               2640, 7920,  990,  435, std::nullopt,  kBlue,         {"MS Sans Serif", 18, true},       AutoSize | Transparent,                    true,  true,  16, "", Board},
    ControlDesign{Label, "Label12",    "Il record  è di ",    120, 7920, 2295,  375, std::nullopt,  kPurple,       {"MS Sans Serif", 18},             Transparent,                               true,  true,  15, "", Board},
    ControlDesign{Label, "lblnome1",   "",                   1920, 4560,  120,  435, std::nullopt,  kDarkGreen,    {"MS Sans Serif", 18, true},       AutoSize | Transparent,                    true,  true,  14, "", Board},
    ControlDesign{Label, "Label14",    "Sfidante",            135, 4560, 1395,  495, std::nullopt,  kDarkGreen,    {"MS Sans Serif", 18},             Border | Centred | AutoSize | Transparent, true,  true,  13, "", Board},
    ControlDesign{Label, "Label5",     "",                    960, 7680, 6615,  615, Colours::Cyan, Colours::Red,  {"MS Sans Serif", 24, true, true}, Centred | Transparent,                      false, true,  12, "", StandardIcon},
    ControlDesign{Label, "lblconto",   "00.00.00",            120, 2400, 1575,  495, std::nullopt,  kYellow,       {"Arial Black", 12, true},         Border | Transparent,                      true,  true,  11, "", Board},
    ControlDesign{Label, "Label11",    "Tempo restante",      120, 1920, 1575,  375, std::nullopt,  kYellow,       {"MS Sans Serif", 9.75},           Transparent,                               true,  true,  10, "", Board},
    ControlDesign{Label, "Label3",     "Risposte totali",    5640, 3840, 2340,  495, std::nullopt,  kBlue,         {"MS Sans Serif", 18},             Border | AutoSize | Transparent,           false, true,   9, "", Board},
    ControlDesign{Label, "Label1",     "Risposte errate",    5760, 3120, 2520,  495, std::nullopt,  Colours::Red,  {"MS Sans Serif", 18},             Border | AutoSize | Transparent,           false, true,   8, "", Board},
    ControlDesign{Label, "lblScore2",  "0",                  7560, 2880,  555,  885, std::nullopt,  kBlue,         {"Times New Roman", 36, true},     Border | Centred | AutoSize | Transparent, false, true,   7, "", Board},
    ControlDesign{Label, "lblScore1",  "0",                  6960, 3600,  540,  885, std::nullopt,  Colours::Red,  {"Times New Roman", 36, true},     Border | Centred | AutoSize | Transparent, false, true,   0, "", Board},
    ControlDesign{Label, "lblTime",    "",                   8400, 1800,   90,  300, std::nullopt,  std::nullopt,  {"MS Sans Serif", 12, true},       AutoSize,                                  false, true,   6,
                  "Clicca sotto di me per attivare il Timer", Board},
    ControlDesign{Label, "lblNum2",    "",                   7080, 2040,  345, 1185, Colours::Cyan, std::nullopt,  {"Arial", 48, true},               Border | Centred | AutoSize,               false, false,  5, "", Board},
    ControlDesign{Label, "Label4",     "=",                  7320, 2040,  615,  975, kPaleCyan,     std::nullopt,  {"Arial", 48, true},               Centred,                                   false, false,  3, "", Board},
    ControlDesign{Label, "Label2",     "X",                  7320, 1800,  615,  975, kPaleCyan,     std::nullopt,  {"Arial", 48},                     Centred,                                   false, false,  2, "", Board},
    ControlDesign{Label, "lblNum1",    "",                   6840, 1680,  345, 1185, Colours::Cyan, std::nullopt,  {"Arial", 48, true},               Border | Centred | AutoSize,               false, false,  1, "", Board},
};

constexpr std::array kMenus{
    MenuDesign{"INFOMAZIONI", "www.brivadoro.example.org", ""},
    MenuDesign{"ca", "Brivadoro, Valle dei Numeri", "INFOMAZIONI"},
    MenuDesign{"copy", "© Gli autori di Brivadoro", ""},
    MenuDesign{"via", "Via delle Tabelline 4 — autori@brivadoro.example.org", "copy"},
    MenuDesign{"Next", "Nuovo gioco", ""},
    MenuDesign{"hf", "Help", ""},
    MenuDesign{"Ciao", "Ciao campione, mi raccomando colpisci solo i multipli del 4", "hf"},
    MenuDesign{"ok", "Ogni errore  ti farà perdere 4 punti.", "hf"},
    MenuDesign{"d", "Un numero è divisibile per 4 se le ultimie 2 cife sono 00  oppure con un multiplo di 4", "hf"},
    MenuDesign{"h", "Es 136 è divisibile per 4 ed infatti le ultime 2 cifre, ossia 36,  sono un multiplo di 4", "hf"},
};
// clang-format on

} // namespace

std::span<const ControlDesign> BoardDesign::controls() {
    return kControls;
}

std::span<const MenuDesign> BoardDesign::menus() {
    return kMenus;
}

} // namespace brivadoro
