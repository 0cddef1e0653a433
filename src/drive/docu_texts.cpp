#include "drive/docu_texts.h"

#include "foundation/codepage.h"

#include <array>

namespace kt4::docu {

TDocuTexts DocuTexts;

namespace {

// Languages of the table's columns, in order.
constexpr std::array<Word, 8> Languages = {1, 2, 3, 4, 5, 6, 9, 10};

struct TextRow {
    std::string TDocuTexts::*field;
    // UTF-8; nullptr: the language keeps the present text
    std::array<const char*, 8> texts;
};

// clang-format off
const TextRow Table[] = {
    {&TDocuTexts::remarkLabel, {"Zeile", "Line", "Info", "Linea", "Rad", "Linha", "Linea", nullptr}},
    {&TDocuTexts::drawingNameLabel, {"Zeichnungsname", "Drawing name", "Nom du dessin", "nome disegno",
        "Ritningens namn", "Nome do desenho", "Nombre de dibujo", nullptr}},
    {&TDocuTexts::drawingNumberLabel, {"Zeichnungsnummer", "Drawing number", "Num. du Dessin",
        "num. disegno", "Ritningens nr", "Numero do desenho", "Numero de dibujo", nullptr}},
    {&TDocuTexts::changeTextLabel, {"Änderungstext", "text of changes", "Text du modification",
        "text di cambiamento", "ändringstext", "texto da modificacao", "texto da modificación",
        "Änderungstext"}},
    {&TDocuTexts::editorLabel, {"Bearbeiter", "responsible", "Resp.", "Responsabile", "utförd av",
        "responsavel", "responsable", "Bearbeiter"}},
    {&TDocuTexts::choiceTitle, {"Änderungen", "Changes", "Modifications", "Cambiamenti", "Ändringar",
        "Modificacoes", "modificaciones", "Änderungen"}},
    {&TDocuTexts::indexColumn, {"Index", "Index", "Index", "Indice", "Index", "Indice", "Índice", "Index"}},
    {&TDocuTexts::choiceNew, {"neu", "new", "nouveau", "nouvo", "nytt", "novo", "nuevo", "neu"}},
    {&TDocuTexts::choiceModify, {"ändern", "change", "change", "cambia", "ändra", "alterar", "alterar",
        "ändern"}},
    {&TDocuTexts::choiceDelete, {"löschen", "cancel", "annuler", "annulare", "avbryt", "cancelar",
        "cancelar", "löschen"}},
    {&TDocuTexts::choiceShow, {"anzeigen", "show", "voir", "mostra", "visa", "mostrar", "mostrar",
        "anzeigen"}},
    {&TDocuTexts::choiceBack, {"zurück..", "back..", "retour..", "retorna..", "tillbaka..", "voltar",
        "girar", "zurück.."}},
    {&TDocuTexts::limitWord, {"Max.", "Max.", "Max.", "Max.", "Max.", "Max.", "Máx.", "Max."}},
    {&TDocuTexts::sectionTitle, {"ÄNDERUNGEN", "CHANGES", "MODIFICATIONS", "CAMBIAMENTI", "ÄNDRINGAR",
        "MODIFICACOES", "modificaciones", "ÄNDERUNGEN"}},
    {&TDocuTexts::choicePrint, {"Ausdruck", "Printout", "Print", "Stampa", "Utskrift", "Impressao",
        "imprimir", "Ausdruck"}},
    {&TDocuTexts::protocolHeader, {"Änderungsprotokoll", "Protocol of changes",
        "Protocol des modifications", "Protocollo die cambiamenti", "Ändringsprotokoll",
        "Protocolo de modificacoes", "Protocolo de modificaciones", "Änderungsprotokoll"}},
    {&TDocuTexts::drawingInfo, {"Zeichnungsinfo", "Info drawing", "Info dessin", "Info disegno",
        "Ritningsinfo.", "Informacao do desenho", "Información del diseño", "Zeichnungsinfo"}},
    {&TDocuTexts::drawingDate, {"Erstellungsdatum", "Drawing date", "Date faît", "data disegno",
        "Ritningsdatum", "Data do desenho", "Fecha del diseño", "Erstellungsdatum"}},
    {&TDocuTexts::replacementFor, {"Ersatz für", "Replacement for", "Remplace", "sustituo x ",
        "Ersätter", "Substituicao para", "Substitución por", "vervanging van."}},
    {&TDocuTexts::replacedBy, {"Ersetzt durch", "Replaced by", "Remplace par", "sustituito x ",
        "Ersatt av", "Substituido pelo", "Substituído para", "vervanging door"}},
    {&TDocuTexts::designer, {"Erstellt von", "Designed by", "Faît par", "Responsabile", "Framställd av",
        "Desenhado por", "Diseñado por", "Erstellt von"}},
    {&TDocuTexts::descriptionLabel, {"Beschreibung", "Description", "Description", "descrizione",
        "Anmärkning", "Descricao", "Descripción", nullptr}},
    {&TDocuTexts::modification, {"Änderung", "Modification", "Modification", "Modifica", "Ändring",
        "Modificacao", "Modificación", "Verandering"}},
    {&TDocuTexts::date, {"Datum", "Date", "Date", "Data", "Datum", "Data", "Fecha", "Datum"}},
    {&TDocuTexts::name, {"Name", "Name", "Nom", "Nome", "Namn", "Nome", "Nombre", "Naam"}},
    {&TDocuTexts::row1, {"Bearb.", "Compl.", "Resp.", "Compl.", "Slutf.", "Compl.", "Compl.", "Opgm."}},
    {&TDocuTexts::row2, {"Gepr.", "Check", "Verif.", "Contr.", "Kontr.", "Verif.", "Verif.", "Geco."}},
    {&TDocuTexts::row3, {"Norm", "Stand.", "Norme", "Stand.", "Norm.", "Norma", "Norm.", "Norm."}},
    {&TDocuTexts::isoResponsibleDept, {"Verantwortl. Abt.", "Responsible dept.", "Responsible dept.",
        "Responsible dept.", "Responsible dept.", "Responsible dept.", "Departamento responsable",
        "Responsible dept."}},
    {&TDocuTexts::isoTechnicalReference, {"Technische Referenz", "Technical reference",
        "Technical reference", "Technical reference", "Technical reference", "Technical reference",
        "Referencia tecnica", "Technical reference"}},
    {&TDocuTexts::isoCreatedBy, {"Erstellt durch", "Created by", "Created by", "Created by",
        "Created by", "Created by", "Creado por", "Created by"}},
    {&TDocuTexts::isoApprovedBy, {"Genehmigt von", "Approved by", "Approved by", "Approved by",
        "Approved by", "Approved by", "Aprobado por", "Approved by"}},
    {&TDocuTexts::isoDocumentType, {"Dokumentenart", "Document type", "Document type", "Document type",
        "Document type", "Document type", "Tipo de documento", "Document type"}},
    {&TDocuTexts::isoDocumentStatus, {"Dokumentenstatus", "Document status", "Document status",
        "Document status", "Document status", "Document status", "Estado del documento",
        "Document status"}},
};
// clang-format on

int LanguageColumn(Word Id)
{
    for (std::size_t c = 0; c < Languages.size(); ++c)
        if (Languages[c] == Id)
            return static_cast<int>(c);
    return -1;
}

} // namespace

void SetDocuTextLanguage(Word Id)
{
    int col = LanguageColumn(Id);
    if (col < 0)
        return;
    for (const auto& row : Table)
        if (const char* text = row.texts[static_cast<std::size_t>(col)])
            DocuTexts.*row.field = DisplayToOem(text);
}

void InitDocuTexts()
{
    DocuTexts = TDocuTexts{};
    SetDocuTextLanguage(2);
    SetDocuTextLanguage(1);
}

} // namespace kt4::docu
