#include "config/control_texts.h"

namespace lw {

namespace {

using P = ControlProperty;

constexpr std::string_view kMain = "TMainForm";
constexpr std::string_view kAbout = "TAboutForm";
constexpr std::string_view kAddons = "TAddonsForm";
constexpr std::string_view kDefault = "TDefaultForm";
constexpr std::string_view kInput = "TInputForm";
constexpr std::string_view kLogin = "TLoginForm";
constexpr std::string_view kOptions = "TOptionsForm";
constexpr std::string_view kQuestionApp = "TQuestionAppForm";
constexpr std::string_view kQuestion = "TQuestionForm";

constexpr std::string_view kConfirmHint = "Zatwierdż zmiany (Ctrl+Enter)";
constexpr std::string_view kCancelHint = "Anulowanie zmian (Esc)";
constexpr std::string_view kAddHint = "Dodaj numer (Ctrl+Ins)";
constexpr std::string_view kDeleteHint = "Usuń wybrany numer (Ctrl+Del)";
constexpr std::string_view kAnyDigit = "? - dowolna cyfra";
constexpr std::string_view kAnyDigits = "* - kilka dowolnych cyfr";
constexpr std::string_view kAccelerationHint =
    "Wybierz tylko w przypadku gdy jeśli Internet jest aktywny Twoja linia telefoniczna jest "
    "zajęta";

// The built-in texts are the windows' own initial texts. LabelNotebook starts with the
// explanation the options dialog formats from its captions when it is created.
constinit const std::array<ControlTarget, kControlLineCount> kTargets = {{
    {1, kMain, "Label2", P::Caption, 0, "Wpis z książki:"},
    {2, kMain, "Label3", P::Caption, 0, "Numer telefonu:"},
    {3, kMain, "Label1", P::Caption, 0, "Kraj:"},
    {4, kMain, "Label4", P::Caption, 0, "Urządzenie:"},
    {5, kMain, "ButtonPrev", P::Hint, 0, "Poprzednie połączenie (PgUp)"},
    {6, kMain, "ButtonNext", P::Hint, 0, "Następne połączenie (PgDn)"},
    {7, kMain, "ButtonOk", P::Caption, 0, "Ukryj"},
    {8, kMain, "ButtonOk", P::Hint, 0, "Ukryj okno (Esc)"},
    {9, kMain, "ButtonDisconnect", P::Caption, 0, "Rozłącz"},
    {10, kMain, "ButtonDisconnect", P::Hint, 0, "Rozłącz bieżące połączenie (Ctrl+Break)"},
    {11, kMain, "ButtonLock", P::Hint, 0, "Okno zawsze na wierzchu (Ctrl+F12)"},
    {12, kMain, "Label5", P::Caption, 0, "Połączenie:"},
    {13, kMain, "ButtonLastInfo", P::Hint, 0, "Pokaż ostatni komunikat (F12)"},
    {14, kMain, "ButtonRefreshStats", P::Hint, 0, "Odśwież statystykę (F5)"},
    {15, kMain, "MenuStats", P::MenuCaption, 0, "Statystyki"},
    {16, kMain, "MenuHelp", P::MenuCaption, 0, "Pomoc"},
    {17, kMain, "MenuOptions", P::MenuCaption, 0, "Opcje"},
    {18, kMain, "DialDefault", P::MenuCaption, 0, "Wybierz numer domyślny"},
    {19, kMain, "MenuAddons", P::MenuCaption, 0, "Dodatki"},
    {20, kMain, "MenuAddonsScan", P::MenuCaption, 0, "Pokaż listę"},
    // Lines that a language file carries and that no control shows.
    {21, kMain, "", P::Unused, 0, ""},
    {22, kMain, "", P::Unused, 0, ""},
    {23, kMain, "", P::Unused, 0, ""},
    {24, kMain, "MainMenuLangVersion", P::MenuCaption, 0, "Wersja językowa"},
    {25, kMain, "MainMenuLanguage", P::MenuCaption, 0, "Język"},
    {26, kMain, "MenuAbout", P::MenuCaption, 0, "O programie"},
    {27, kMain, "MenuClose", P::MenuCaption, 0, "Koniec"},
    {28, kMain, "TrayIconNew", P::Hint, 0, "LarkWatch"},
    {29, kAbout, "Line1", P::Caption, 0, "LarkWatch~ochrona linii telefonicznej przed dialerami"},
    {30, kAbout, "Line7", P::Hint, 0, "Odwiedź stronę programu"},
    {31, kAbout, "Line8", P::Hint, 0, "Napisz do autorów programu"},
    {32, kAbout, "Line4", P::Caption, 0, "Program napisał~zespół LarkWatch"},
    {33, kAbout, "Line5", P::Caption, 0, "Podziękowania dla~wszystkich testerów programu"},
    {34, kAbout, "Line6", P::Caption, 0, "Dziękujemy za korzystanie~z programu LarkWatch"},
    {35, kAbout, "ButtonOk", P::Caption, 0, "Ukryj"},
    {36, kAbout, "ButtonOk", P::Hint, 0, "Ukryj okno (Esc)"},
    {37, kAddons, "", P::WindowCaption, 0, "LarkWatch - dodatki..."},
    {38, kAddons, "Label1", P::Caption, 0, "Grupa"},
    {39, kAddons, "Label2", P::Caption, 0, "Element"},
    {40, kAddons, "BtnOk", P::Caption, 0, "&Pobierz"},
    {41, kAddons, "BtnOk", P::Hint, 0, "Pobierz (Esc)"},
    {42, kAddons, "BtnCancel", P::Caption, 0, "&Zamknij"},
    {43, kAddons, "BtnCancel", P::Hint, 0, "Ukryj okno (Esc)"},
    {44, kAddons, "ListView", P::Column, 0, "Opis"},
    {45, kAddons, "ListView", P::Column, 1, "Nazwa"},
    {46, kDefault, "", P::WindowCaption, 0, "LarkWatch - numer domyślny"},
    {47, kDefault, "Label1", P::Caption, 0, "Nazwa wpisu"},
    {48, kDefault, "Label4", P::Caption, 0, "Numer telefonu:"},
    {49, kDefault, "PhoneNo", P::Hint, 0,
     "Numer składa się z kodu kraju np. +48 (Polska) oraz numeru wybranego telefonu"},
    {50, kDefault, "ButtonPrev", P::Hint, 0, "Poprzednie połączenie (-)"},
    {51, kDefault, "ButtonNext", P::Hint, 0, "Następne połączenie (+)"},
    {52, kDefault, "ButtonOk", P::Caption, 0, "OK"},
    {53, kDefault, "ButtonOk", P::Hint, 0, kConfirmHint},
    {54, kDefault, "ButtonCancel", P::Caption, 0, "Anuluj"},
    {55, kDefault, "ButtonCancel", P::Hint, 0, kCancelHint},
    {56, kDefault, "ButtonCreateEntry", P::Hint, 0,
     "Tworzy nowy wpis do książki telefonicznej (Ctrl+Ins)"},
    {57, kDefault, "ButtonEditEntry", P::Hint, 0, "Edycja wpisu z książki telefonicznej (F12)"},
    {58, kInput, "ButtonOk", P::Caption, 0, "OK"},
    {59, kInput, "ButtonOk", P::Hint, 0, "Potwierdzenie (Ctrl+Enter)"},
    {60, kInput, "ButtonCancel", P::Caption, 0, "Anuluj"},
    {61, kInput, "ButtonCancel", P::Hint, 0, "Anulowanie (Esc)"},
    {62, kLogin, "", P::WindowCaption, 0, "LarkWatch - logowanie..."},
    {63, kLogin, "ButtonOk", P::Caption, 0, "OK"},
    {64, kLogin, "ButtonOk", P::Hint, 0, "Potwierdzenie (Ctrl+Enter)"},
    {65, kLogin, "ButtonCancel", P::Caption, 0, "Anuluj"},
    {66, kLogin, "ButtonCancel", P::Hint, 0, "Anulowanie (Esc)"},
    {67, kLogin, "Label", P::Caption, 0, "Nazwa użytkownika"},
    {68, kLogin, "Label1", P::Caption, 0, "Hasło"},
    {69, kLogin, "Label2", P::Caption, 0, "Nazwa wpisu do książki telefonicznej"},
    {70, kLogin, "Label3", P::Caption, 0, "Kraj (kod kraju)"},
    {71, kLogin, "Label4", P::Caption, 0, "Numer telefonu (strefa - numer)"},
    {72, kOptions, "", P::WindowCaption, 0, "LarkWatch - opcje"},
    {73, kOptions, "ButtonOk", P::Caption, 0, "OK"},
    {74, kOptions, "ButtonOk", P::Hint, 0, kConfirmHint},
    {75, kOptions, "ButtonCancel", P::Caption, 0, "Anuluj"},
    {76, kOptions, "ButtonCancel", P::Hint, 0, kCancelHint},
    {77, kOptions, "TabSheet1", P::Caption, 0, "Ogólnie"},
    {78, kOptions, "Label1", P::Caption, 0, "Pokazuj komunikaty przez sekund"},
    {79, kOptions, "CheckBoxAutoRun", P::Caption, 0,
     "Uruchom program przy starcie systemu (bardzo zalecane)"},
    {80, kOptions, "CheckBoxClickClose", P::Caption, 0,
     "Dwukrotne kliknięcie na komunikat zamyka okienko komunikatu"},
    {81, kOptions, "CheckBoxOnTop", P::Caption, 0, "Okno statystyk zawsze ponad innymi oknami"},
    {82, kOptions, "RadioGroupShowWarnings", P::Caption, 0, "Pokazuj komunikaty"},
    {83, kOptions, "RadioGroupShowWarnings", P::Item, 0, "Na środku ekranu"},
    {84, kOptions, "RadioGroupShowWarnings", P::Item, 1, "Na dole po prawej"},
    {85, kOptions, "TabSheet2", P::Caption, 0, "Połączenia niebezpieczne"},
    {86, kOptions, "LabelDangerConn", P::Caption, 0, "Połączenie z niebezpiecznym numerem"},
    {87, kOptions, "LabelDanger", P::Caption, 0, "Niebezpieczne numery"},
    {88, kOptions, "ButtonDelDanger", P::Hint, 0, kDeleteHint},
    {89, kOptions, "ButtonNewDanger", P::Hint, 0, kAddHint},
    {90, kOptions, "Label4", P::Caption, 0, kAnyDigit},
    {91, kOptions, "Label5", P::Caption, 0, kAnyDigits},
    {92, kOptions, "RadioButtonDangerWaitFor", P::Caption, 0, "Czekaj na reakcję do skutku"},
    {93, kOptions, "RadioButtonDangerAskDiscAfter", P::Caption, 0, "Odmów po czasie (sek.)"},
    {94, kOptions, "RadioButtonDangerDisNow", P::Caption, 0, "Rozłącz natychmiast (zalecane)"},
    {95, kOptions, "RadioButtonDisAfter", P::Caption, 0, "Rozłącz po czasie (min.)"},
    {96, kOptions, "RadioButtonDangerDoNothing", P::Caption, 0, "Nie rób nic (niezalecane)"},
    {97, kOptions, "RadioButtonDangerAsk", P::Caption, 0, "Pytaj co zrobić"},
    {98, kOptions, "LabelNotebook", P::Caption, 0,
     "Strona jest niedostępna, ponieważ wybrano opcję \"Zezwalaj tylko na bezpieczne numery\" z "
     "zakładki \"Połączenia bezpieczne\". Oznacza to, że LarkWatch będzie tylko zezwalał na "
     "połączenia z numerami z listy \"Bezpieczne numery\" z zakładki \"Połączenia "
     "bezpieczne\".\r\nJeśli chcesz, aby ta zakładka była dostępna, wyłacz opcję \"Zezwalaj "
     "tylko na bezpieczne numery\"."},
    {99, kOptions, "TabSheet3", P::Caption, 0, "Połączenia bezpieczne"},
    {100, kOptions, "Label7", P::Caption, 0, kAnyDigit},
    {101, kOptions, "Label8", P::Caption, 0, kAnyDigits},
    {102, kOptions, "ButtonNewSafe", P::Hint, 0, kAddHint},
    {103, kOptions, "ButtonDelSafe", P::Hint, 0, kDeleteHint},
    {104, kOptions, "LabelSafe", P::Caption, 0, "Bezpieczne numery"},
    {105, kOptions, "Label9", P::Caption, 0, "Domyślny wpis z książki"},
    {106, kOptions, "ButtonGetDefault", P::Caption, 0, "Wskaż"},
    {107, kOptions, "ButtonGetDefault", P::Hint, 0,
     "Wybieraie domyślnego połączenia z książki telefonicznej (Ctrl+F12)"},
    {108, kOptions, "LabelOnlySafe", P::Caption, 0, "(zalecane)"},
    {109, kOptions, "LabelUseAcceleration", P::Caption, 0,
     "(zalecane - nie dla SDI, Neostrada itp.)"},
    {110, kOptions, "LabelUseAcceleration", P::Hint, 0, kAccelerationHint},
    {111, kOptions, "CheckBoxOnlySafe", P::Caption, 0, "Zezwalaj tylko na bezpieczne numery"},
    {112, kOptions, "CheckBoxOnlyMyCountry", P::Caption, 0, "Tylko połączenia z mojego kraju"},
    {113, kOptions, "CheckBoxDialDefault", P::Caption, 0, "Po rozłączeniu wybierz numer domyślny"},
    {114, kOptions, "CheckBoxUseAcceleration", P::Caption, 0, "Użyj przyspieszenia połączenia"},
    {115, kOptions, "CheckBoxUseAcceleration", P::Hint, 0, kAccelerationHint},
    {116, kOptions, "TabSheet4", P::Caption, 0, "Uprawnienia"},
    {117, kOptions, "Label13", P::Caption, 0, "Wybieranie numeru/rozłączanie rozmowy"},
    {118, kOptions, "ToolbarButtonPermitAdd", P::Hint, 0, kAddHint},
    {119, kOptions, "ToolbarButtonPremitDel", P::Hint, 0, kDeleteHint},
    {120, kOptions, "ToolbarButtonDenyAdd", P::Hint, 0, kAddHint},
    {121, kOptions, "ToolbarButtonDenyDel", P::Hint, 0, kDeleteHint},
    {122, kOptions, "CheckBoxPermit", P::Caption, 0, "Zezwalaj aplikacjom"},
    {123, kOptions, "CheckBoxDeny", P::Caption, 0, "Odmawiaj aplikacjom"},
    {124, kOptions, "CheckBoxPDAsk", P::Caption, 0,
     "Pytaj jeśli aplikacji nie ma na żadnej z list"},
    {125, kOptions, "OpenDialog", P::Filter, 0,
     "Aplikacje (*.exe)|*.exe|Wszystkie pliki (*.*)|*.*"},
    {126, kQuestionApp, "", P::WindowCaption, 0, "LarkWatch - pytanie"},
    {127, kQuestionApp, "ButtonNo", P::Caption, 0, "&Nie"},
    {128, kQuestionApp, "ButtonYes", P::Caption, 0, "&Tak"},
    {129, kQuestionApp, "ButtonAddToPermit", P::Caption, 0, "Dodaj do &uprawnionych"},
    {130, kQuestionApp, "ButtonAddToDeny", P::Caption, 0, "Dodaj to &zabronionych"},
    {131, kQuestion, "", P::WindowCaption, 0, "LarkWatch - pytanie"},
    {132, kQuestion, "ButtonNo", P::Caption, 0, "&Nie"},
    {133, kQuestion, "ButtonYes", P::Caption, 0, "&Tak"},
    // The same target again: whatever line 133 set is replaced by this line.
    {134, kQuestion, "ButtonYes", P::Caption, 0, "&Tak"},
}};

}  // namespace

std::span<const ControlTarget, kControlLineCount> ControlTargets() { return kTargets; }

}  // namespace lw
