#include "config/message_texts.h"

namespace lw {

// The built-in Polish texts (UTF-8). The author's own name and addresses stand in the
// translator's three lines until a language file names its translator.
constinit const std::array<BuiltInMessage, kMessageCount> kBuiltInMessages = {{
    {135, 155,
     "Jest nowa wersja (%s) LarkWatch dostępna na stronie http://www.larkwatch.pl\r\nPobieram nową "
     "wersję w celu zapewnienia lepszej ochrony komputera..."},
    {136, 32, "Pobrałem rozszrzenie (%s)"},
    {137, 49, "Pobieram nowe rozszerzenie programu:\r\n%s"},
    {138, 41, "brak wpisów w książce (dodaj wpis)"},
    {139, 30, "(kod kraju +%i)   %s %s"},
    {140, 38, "%s   (brak kodu kraju i strefy)"},
    {141, 47, "Upłynęło %i min, %i sek.\r\nRozłączam..."},
    {142, 21, "Rozłączanie..."},
    {143, 48, "Nie ma aktywnych połączeń telefonicznych."},
    {144, 46, "Brak informacji o kodzie kraju i strefy"},
    {145, 109,
     "Następująca aplikacja próbuje nawiązać połączenie\r\n%s\r\n\r\nPozwolić aplikacji na "
     "wybranie numeru ?"},
    {146, 224,
     "Następująca aplikacja próbuje nawiązać połączenie\r\n%s\r\nTej aplikacji nie ma jaj na "
     "liście aplikacji uprawnionych do wybierania numeru - odmawiam dostępu do "
     "modemu\r\n\r\nDalsze informacje:\r\nNumer: %s\r\nKraj: %s"},
    {147, 218,
     "Następująca aplikacja próbuje nawiązać połączenie\r\n%s\r\nTa aplikacja jest na liście "
     "aplikacji bez uprawnień do wybierania numeru - odmawiam dostępu do modemu\r\n\r\nDalsze "
     "informacje:\r\nNumer: %s\r\nKraj: %s"},
    {148, 133,
     "Następująca aplikacja próbuje nawiązać połączenie\r\n%s\r\nRozpoczynam procedurę "
     "zabezpieczenia oraz przyspieszenia połączenia"},
    {149, 182,
     "Nie udało się zainicjalizować bezpiecznego połączenia przyspieszonego.\r\nW trakcie trwania "
     "bieżącego połączenia parametry połączenia przyspieszonego zostaną zaktualizowane..."},
    {150, 180,
     "Następująca aplikacja próbuje nawiązać połączenie z numerem nie znanym jako "
     "bezpieczny\r\n%s\r\nOdmawiam dostępu do modemu\r\n\r\nDalsze informacje:\r\nNumer: "
     "%s\r\nKraj: %s"},
    {151, 166,
     "Następująca aplikacja próbuje nawiązać połączenie z niedozwolonym krajem\r\n%s\r\nOdmawiam "
     "dostępu do modemu\r\n\r\nDalsze informacje:\r\nNumer: %s\r\nKraj: %s"},
    {152, 168,
     "Następująca aplikacja próbuje nawiązać połączenie z numerem niebezpiecznym\r\n%s\r\nOdmawiam "
     "dostępu do modemu\r\n\r\nDalsze informacje:\r\nNumer: %s\r\nKraj: %s"},
    {153, 204,
     "Następująca aplikacja próbuje nawiązać połączenie z numerem niebezpiecznym\r\n%s\r\nRozłącze "
     "to połączenie po czasie %i min. od momentu połączenia\r\n\r\nDalsze informacje:\r\nNumer: "
     "%s\r\nKraj: %s"},
    {154, 309,
     "UWAGA !!!!\r\nNastępująca aplikacja próbuje nawiązać połączenie z numerem "
     "niebezpiecznym\r\n%s\r\n\r\nNumer: %s\r\nKraj: %s\r\n\r\nRozłącz połączenie samodzielnie "
     "używając przycisku w statystyce Połączenia...\r\nJeśli nie chcesz w przyszłości zezwalać na "
     "takie połączenia zmień konfiguracje programu..."},
    {155, 314,
     "UWAGA !!!!\r\nNa żądanie użytkownika LarkWatch nawiązuje połączenie z numerem "
     "niebezpiecznym!\r\n%s\r\n\r\nNumer: %s\r\nKraj: %s\r\n\r\nRozłącz połączenie samodzielnie "
     "używając przycisku w statystyce Połączenia...\r\nJeśli nie chcesz w przyszłości zezwalać na "
     "takie połączenia zmień konfiguracje programu..."},
    {156, 153,
     "Następująca aplikacja próbuje nawiązać połączenie z numerem "
     "niebezpiecznym\r\n%s\r\n\r\nNumer: %s\r\nKraj: %s\r\n\r\nZezwolić na dostęp do modemu?"},
    {157, 153,
     "Następująca aplikacja próbuje nawiązać połączenie z numerem "
     "niebezpiecznym\r\n%s\r\n\r\nNumer: %s\r\nKraj: %s\r\n\r\nZezwolić na dostęp do modemu?"},
    {158, 69, "Aplikacja %s\r\nnawiązuje połączenie z numerem: %s\r\nKraj: %s"},
    {159, 117,
     "Następująca aplikacja próbuje rozłączyć połączenie\r\n%s\r\n\r\nPozwolić aplikacji na "
     "rozłączanie połączenia ?"},
    {160, 175,
     "Następująca aplikacja próbuje rozłączyć połączenie\r\n%s\r\nTej aplikacji nie ma na liście "
     "aplikacji uprawnionych do rozłączania połączenia - odmawiam dostępu do modemu"},
    {161, 173,
     "Następująca aplikacja próbuje rozłączyć połączenie\r\n%s\r\nTa aplikacja jest na liście "
     "aplikacji bez uprawnień do rozłączania połączenia - odmawiam dostępu do modemu"},
    {162, 96,
     "Następująca aplikacja rozłącza połączenie telefoniczne\r\n%s\r\nMoże to zająć chwileczkę."},
    {163, 76, "----------------------------------\r\nPróba połączenia\r\n%s - %s\r\n"},
    {164, 67, "Wpis z książki telefonicznej: %s - nazwa książki: %s\r\n\r\n"},
    {165, 15, "Wykonane"},
    {166, 18, "Zablokowane"},
    {167, 71, "----------------------------------\r\nRozłączanie\r\n%s - %s\r\n"},
    {168, 15, "Wykonane"},
    {169, 18, "Zablokowane"},
    {170, 20, "LarkWatch"},
    {171, 35, "http://www.larkwatch.pl"},
    {172, 26, "autor@larkwatch.pl"},
    {173, 62, "Już jestem uruchomiony...\r\nZobacz na pasku zadań  :o)"},
    {174, 18, "Czuwanie..."},
    {175, 38, "Bezpieczne połączenie LarkWatch"},
    {176, 28, "brak wpisu do książki"},
    {177, 38, "Bezpieczne połączenie LarkWatch"},
    {178, 46, "Brak informacji o kodzie kraju i strefy"},
    {179, 43, "Status: brak połączeń telefonicznych"},
    {180, 51, "Status: wykrytych połączeń telefonicznych %i"},
    {181, 82, "Rozpoczynam rozłączanie na żądanie użytkownika.\r\nMoże to zająć chwilkę..."},
    {182, 38, "Błąd pobierania listy połączeń."},
    {183, 45, "Błąd pobierania książki telefonicznej."},
    {184, 19, "Połączony..."},
    {185, 42, "Połączono z numerem %s.\r\nKraj: %s"},
    {186, 30, "Połączono z numerem %s."},
    {187, 54, "Połączono z bezpiecznym numerem LarkWatch (%s)."},
    {188, 87, "Połączono z numerem nie znanym jako bezpieczny.\r\nNumer: %s\r\n\r\nRozłączam..."},
    {189, 76, "Połączono z niedozwolonym krajem %s.\r\nNumer: %s\r\n\r\nRozłączam..."},
    {190, 87, "Połączono z numerem niebezpiecznym.\r\nNumer: %s\r\nKraj: %s\r\n\r\nRozłączam..."},
    {191, 102,
     "Połączono z numerem niebezpiecznym.\r\nNumer: %s\r\nKraj: %s\r\n\r\nRozłączam po %i "
     "minutach..."},
    {192, 142,
     "UWAGA !!!!\r\nPołączono z numerem niebezpiecznym.\r\nNumer: %s\r\nKraj: %s\r\n\r\nRozłącz "
     "używając przycisku w statystyce Połączenia..."},
    {193, 57, "Połączono z numerem niebezpiecznym: %s\r\nKraj: %s"},
    {194, 93,
     "Połączono z numerem niebezpiecznym: %s\r\nKraj: %s\r\n\r\nCzy utrzymać to połączenie ?"},
    {195, 57, "Połączono z numerem niebezpiecznym: %s\r\nKraj: %s"},
    {196, 93,
     "Połączono z numerem niebezpiecznym: %s\r\nKraj: %s\r\n\r\nCzy utrzymać to połączenie ?"},
    {197, 18, "Czuwanie..."},
    {198, 38, "Rozłączono połączenie modemowe."},
    {199, 25, "Zresetowano modem."},
    {200, 39, "LarkWatch - statystyka - (%i) %s"},
    {201, 23, "Otwieram port..."},
    {202, 20, "Port otwarty."},
    {203, 52, "Rozpoczynam łączenie ze zdalnym komputerem..."},
    {204, 41, "Połączono ze zdlanym komputerem..."},
    {205, 47, "Weryfikacja nazwy użytkownika i hasła..."},
    {206, 28, "Weryfikacja w toku..."},
    {207, 41, "Rejsetrowanie komputera w sieci..."},
    {208, 33, "Ponowna próba logowania..."},
    {209, 21, "Zalogowano :o)"},
    {210, 20, "Połączono :o)"},
    {211, 18, "Rozłączono."},
    {212, 90,
     "Nie znalazłem wpisu \"%s\" w książce telefonicznej.\r\nWybierz wpis w konfiguracji."},
    {213, 57, "Brakuje książki telefonicznej lub jest uszkodzona."},
    {214, 23, "(brak strefy) %s"},
    {215, 18, "brak danych"},
    {216, 72, "Nie podano hasła dla użytkownika \"%s\".\r\nPołączenie anulowane."},
    {217, 33, "Nawiązywanie połączenia..."},
    {218, 18, "Czuwanie..."},
    {219, 182,
     "Nie udało się zainicjalizować bezpiecznego połączenia przyspieszonego.\r\nW trakcie trwania "
     "bieżącego połączenia parametry połączenia przyspieszonego zostaną zaktualizowane..."},
    {220, 91,
     "Na pewno chcesz wyłączyć program.\r\nOchrona linii telefonicznej zostanie wyłączona."},
    {221, 19, "Zamykanie..."},
    {222, 245,
     "Nawiązywanie przyspieszonego połączenia LarkWatch z siecią Internet...\r\nTo połączenie (%s) "
     "jest szybsze, bezpieczne ;o) i kosztuje tyle samo co inne połączenia modemowe.\rMożna "
     "wyłączyć to przyspieszenie w Opcjach programu, menu %s->%s."},
    {223, 33, "Nawiązywanie połączenia..."},
    {224, 18, "Czuwanie..."},
    {225, 144,
     "Rozszerzenie '%s' ma zapisany niewłaściwy klucz autoryzacji (rozszerzenie może być "
     "fałszywe).\r\nDla bezpieczeństwa usuń to rozszerzenie."},
    {226, 65, "Wystąpił błąd podczas inicjalizacji konfiguracji programu."},
    {227, 255,
     "Strona jest niedostępna, ponieważ wybrano opcję \"%s\" z zakładki \"%s\". Oznacza to, że "
     "LarkWatch będzie tylko zezwalał na połączenia z numerami z listy \"%s\" z zakładki "
     "\"%s\".\r\nJeśli chcesz, aby ta zakładka była dostępna, wyłacz opcję \"%s\"."},
    {228, 63, "Na pewno chcesz usunąć ten numer z listy niebezpiecznych"},
    {229, 41, "Podaj niebezpieczny numer telefonu"},
    {230, 111,
     "Podana maska (wzór numeru) oznacza, że wszystkie numery będą niebezpieczne.\r\nCzy na pewno "
     "tego chcesz?"},
    {231, 146,
     "Wybierz akcję jaka będzie podjęta przez LarkWatch w przypadku próby nawiązania połączenia z "
     "tym numerem.\r\nDomyślnie wybieram opcję \"%s\""},
    {232, 202,
     "Takie ustawienia nie zapewniają bezpieczeństwa.\r\nWybierz \"%s\" z zakładki \"%s\" lub "
     "jedną z opcji \"%s\" z zakładki \"%s\".\r\nJeśli chcesz zachować te (niebezpieczne) "
     "ustawienia wybierz TAK."},
    {233, 79, "Plik niebezpiecznych numerów jest uszkodzony.\r\nSprawdź opcje programu."},
    {234, 75, "Plik bezpiecznych numerów jest uszkodzony.\r\nSprawdź opcje programu"},
    {235, 77, "Plik uprawnionych aplikacji jest uszkodzony.\r\nSprawdź opcje programu"},
    {236, 81, "Plik nieuprawnionych aplikacji jest uszkodzony.\r\nSprawdź opcje programu."},
    {237, 162,
     "Program nie jest skonfigurowany. Należy ustawić konfiguracje programu.\r\nCzy mam "
     "skonfigurować automatycznie - zapewni to pełną kontrolę i bezpieczeństwo?"},
    {238, 56, "LarkWatch - wybierz bezpieczny numer do Internetu"},
    {239, 262,
     "Czy używasz modemowego połączenia telefonicznego do łączenia z internetem?\r\nChodzi tylko o "
     "połączenia bozpośrednio z linią telefoniczną (gdy Internet jest aktywny linia telefoniczna "
     "jest zajęta).\r\nJeśli masz połączenia typu SDI, Neostrada wybierz NIE."},
    {240, 70, "Nie wybrano numeru domyślnego. Ustaw konfigurację samodzielnie."},
    {241, 105,
     "Program został skonfigurowany. Teraz komputer jest zabezpieczony przed niepożądanymi "
     "połączeniami."},
    {242, 100,
     "Wpisy konfiguracji programu są nieprawidłowe.\r\nSprawdź i skoryguj wszystkie opcje "
     "programu."},
    {243, 263,
     "Zostały wyświetlone ostrzeżenia z powodu błędów konfiguracji programu. Błędy takie mogły "
     "powstać między innymi z powodu ingerencji innych programów (w tym Dialerów) w konigurację "
     "LarkWatch.\r\nNależy skonfigurować program ponownie. Czy włączyć opcje teraz?"},
    {244, 38, "Podaj bezpieczny numer telefonu"},
    {245, 108,
     "Podana maska (wzór numeru) oznacza, że wszystkie numery będą bezpieczne.\r\nCzy na pewno "
     "tego chcesz?"},
    {246, 189,
     "Ponieważ nie ma żadnego numeru na liście niebezpiecznych, tylko wprowadzony teraz numer(y) "
     "LarkWatch pozwoli wybrać.\r\nJeśli chcesz wpisać numery niebezpieczne, odznacz opcję \"%s\""},
    {247, 60, "Na pewno chcesz usunąć ten numer z listy bezpiecznych"},
    {248, 134,
     "Nie ma już żadnych numerów na liście \"Bezpieczne numery\"\r\nOpcja \"Zezwalaj tylko na "
     "bezpieczne numery\" zostanie wyłączona."},
    {249, 63, "Należy najpierw dodać numery do \"Bezpiecznych numerów\""},
    {250, 273,
     "Wybrana pozycja nie zawiera informacji o kodzie kraju i strefy, dlatego nie została zapisana "
     "do konfiguracji.\r\nMusisz wybrać inną pozycję lub zmienić właściwości wybierania numeru w "
     "tej pozycji.\r\nMożesz również odznaczyć pole \"Tylko połączenia z mojego kraju\"."},
    {251, 84, "Na pewno chcesz usunąć tą aplikację z listy uprawnionych do wybierania numeru"},
    {252, 89, "Na pewno chcesz usunąć tą aplikację z listy nie dopuszczonych do wybierania numeru"},
    {253, 67, "Wybierz aplikację na listę uprawnionych do wybierania numeru"},
    {254, 57, "Nie możesz dodawać programu LarkWatch do tych list"},
    {255, 72, "Wybierz aplikację na listę nie dopuszczonych do wybierania numeru"},
    {256, 57, "Nie możesz dodawać programu LarkWatch do tych list"},
    {257, 33, "Odpowiem NIE za: %i sekund"},
}};

}  // namespace lw
