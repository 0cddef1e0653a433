// The German texts of the engine's error codes.
#include "dbase/engine/errors.h"

#include <algorithm>
#include <iterator>

namespace kt4::dbase {
namespace {

struct CodeText {
    std::uint16_t code;
    const char* text;
};

// Sorted by code.
constexpr CodeText kTexts[] = {
    {1, "Unzulässiger DOS-Funktionscode"},
    {2, "Datei nicht gefunden"},
    {3, "Pfad nicht gefunden"},
    {4, "Zu viele Dateien geöffnet"},
    {5, "Dateizugriff verweigert"},
    {6, "Unzulässiges Datei-Handle"},
    {8, "Zu wenig Speicher"},
    {9, "Unzulässige Speicherblock-Adresse"},
    {10, "Ungültige MS-DOS-Umgebung"},
    {11, "Unzulässiges Aufrufformat"},
    {12, "Unzulässiger Dateizugriff "},
    {13, "Datenfehler"},
    {14, "Ungültiges Peripheriegerät"},
    {15, "Unzulässige Laufwerknummer."},
    {16, "Entfernen des aktiven Verzeichnisses unzulässig"},
    {17, "Umbenennung auf ein anderes Laufwerk unzulässig"},
    {18, "Zu viele Dateien geöffnet"},
    {19, "Diskette schreibgeschützt"},
    {20, "Ungültiges Peripheriegerät"},
    {21, "Laufwerk nicht bereit"},
    {22, "Unbekannter Befehl"},
    {23, "Prüfsummenfehler"},
    {24, "Ungültiger Diskparameterblock"},
    {25, "Plattenpositionierungsfehler"},
    {26, "Unbekanntes Medium"},
    {27, "Sektor nicht gefunden."},
    {28, "Kein Papier im Drucker"},
    {29, "Schreibfehler bei Zugriff auf Peripheriegerät"},
    {30, "Lesefehler bei Zugriff auf Peripheriegerät"},
    {31, "Allgemeiner Fehler"},
    {32, "Fehler beim gemeinsamen Dateizugriff"},
    {33, "Fehler bei Dateisperre"},
    {34, "Unzulässiger Diskettenwechsel"},
    {35, "Zugriff zum Dateikontrollblock unmöglich"},
    {36, "Überlauf des gemeinsamen Dateipuffers"},
    {50, "Netzwerkanfrage nicht unterstützt"},
    {51, "Gerät mit Fernzugriff nicht bereit"},
    {52, "Doppelte Namensgebung auf Netzwerk"},
    {53, "Netzwerkname nicht gefunden"},
    {54, "Netzwerk überlastet"},
    {55, "Gerät nicht mehr auf dem Netzwerk vorhanden"},
    {56, "NetBios Befehlsgrenze überschritten"},
    {57, "Gerätefehler im Netzwerk-Adapter"},
    {58, "Falsche Antwort vom Netzwerk"},
    {59, "Unerwarteter Netzwerkfehler"},
    {60, "Konflikt beim Adapter mit Fernzugriff"},
    {100, "Disketten-/Festplatten-Lesefehler"},
    {101, "Disketten-/Festplatten-Schreibfehler"},
    {102, "Datei nicht zugewiesen (assign)"},
    {103, "Datei nicht geöffnet"},
    {104, "Datei zur Eingabe nicht geöffnet"},
    {105, "Datei zur Ausgabe nicht geöffnet"},
    {106, "Unzulässiges Zahlenformat"},
    {150, "Diskette schreibgeschützt"},
    {151, "Ungültiges Peripheriegerät"},
    {152, "Laufwerk nicht bereit"},
    {153, "Unbekannter Befehl"},
    {154, "Prüfsummenfehler"},
    {155, "Ungültiger Diskparameterblock"},
    {156, "Plattenpositionierungsfehler"},
    {157, "Unbekanntes Medium"},
    {158, "Sektor nicht gefunden."},
    {159, "Kein Papier im Drucker"},
    {160, "Schreibfehler bei Zugriff auf Peripheriegerät"},
    {161, "Lesefehler bei Zugriff auf Peripheriegerät"},
    {162, "Fehler beim gemeinsamen Dateizugriff"},
    {200, "Division durch Null"},
    {201, "Bereichsprüffehler"},
    {202, "Stapelüberlauf"},
    {203, "Heapüberlauf"},
    {204, "Unzulässige Zeigeroperation"},
    {205, "Fließkommaüberlauf"},
    {206, "Fließkommaunterlauf"},
    {207, "Fließkommafehler"},
    {208, "Overlay-Manager nicht installiert"},
    {209, "Overlay-Lesefehler"},
    {210, "Keine dBASE-Datei"},
    {211, "Unzulässige Feldangabe"},
    {212, "Anfrage außerhalb Bereich"},
    {213, "Unerwartetes Dateiende"},
    {214, "Datenbank wird bereits benutzt"},
    {215, "Keine Datenbank (bzw. kein Arbeitsbereich) geöffnet."},
    {216, "Allgemeine Schutzverletzung (GPF)"},
    {217, "Zu wenig Platz im Arbeitsspeicher"},
    {218, "Unzulässige Zeigervariable"},
    {219, "Datei-Handle nicht duplizierbar"},
    {220, "Unzulässiger Parameter"},
    {221, "Index-Datei nicht geöffnet"},
    {222, "Beschädigte Index-Datei"},
    {223, "Falsche Index-Version"},
    {224, "Zyklische Relation"},
    {225, "Exklusiver Zugriff erforderlich"},
    {226, "BROWSE nicht aktiv"},
    {227, "Speichermediumplatz unzureichend "},
    {228, "Anzahl Push/Pops nicht ausgeglichen "},
    {229, "dBASE IV Memo-Dateien nicht unterstützt"},
    {230, "Keine dBASE Variablen geladen"},
    {231, "Bildschirmbibliothek nicht gefunden"},
    {239, "Fehlender Doppelpunkt in der Zeitangabe"},
    {240, "Nicht-numerisches Zeichen in der Zeitangabe"},
    {241, "Ungültige Zeitangabe"},
    {242, "Negative Zeitangabe"},
    {243, "Negatives TimeDiff-Ergebnis"},
    {254, "Interner ZODAR-Fehler"},
    {266, "Unzulässige Größe des Datenpuffers"},
    {1003, "Unzulässige Memo-Adresse"},
    {1004, "Speichermedium voll          "},
    {1005, "Memo-Schreibfehler"},
    {1007, "Memo ist bereits geöffnet"},
    {1012, "Unzureichender Speichermediumplatz zum Packen der Memo-Datei"},
    {1014, "Unterbrochenes Packen nicht abschließbar"},
    {1017, "Memo-Datei nicht sperrbar"},
    {1018, "Memo-Datei nicht entsperrbar"},
    {1019, "Unzulässige Memo-Operation: Datei nicht geöffnet oder kein Memo-Feld in der Datei"},
    {1100, "Nicht anwendbar bei eingebundenen Listen"},
    {1101, "Virtuelle Datei-Verwaltungs-Unit nicht eingebunden"},
    {1102, "Fehler in der Verwaltung der virtuellen Datei"},
    {1103, "Unzulässige Ausführung "},
    {1200, "Datensatz nicht gesperrt"},
    {1201, "Datei nicht gesperrt"},
    {1202, "Semaphore-Dateifehler. Abhilfe: Am Netzwerk anmelden oder SHARE.EXE vor dem Start "
           "von Windows laden"},
    {1300, "File format not supported"},
};

} // namespace

std::string ErrorCodeText(std::uint16_t code)
{
    if (code >= 1203 && code <= 1299)
        return "Netzwerkfehler";
    auto it = std::lower_bound(std::begin(kTexts), std::end(kTexts), code,
                               [](const CodeText& e, std::uint16_t c) { return e.code < c; });
    if (it != std::end(kTexts) && it->code == code)
        return it->text;
    return "Unbekannter Fehler";
}

} // namespace kt4::dbase
