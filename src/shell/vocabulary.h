// The technical vocabulary and the names of the drive's parts that menus,
// forms and dialogs read when they build their texts. The language tables
// set them; German is the start value. Display texts (UTF-8).
#pragma once

#include <string>

#define KT4_VOCABULARY(X) \
    X(VocBerechnung) X(VocBezugsprofil) X(VocProfil) X(VocDin5480) X(VocZahneingriffMenu) \
    X(VocFestigkeit) X(VocGeometrie) X(VocGetriebe) X(VocIsoAuslegung) \
    X(VocKegelradgetriebe) X(VocLast) X(VocLastkollektiv) X(VocLebensdauer) X(VocMessen) \
    X(VocNabe) X(VocPassfeder) X(VocPassung) X(VocPlanetengetriebe) X(VocPlanetenstufe) \
    X(VocSteg) X(VocPruefmasse) X(VocQualitaet) X(VocRad) X(VocRitzel) X(VocSchnecke) \
    X(VocSchneckenrad) X(VocSpannung) X(VocTabellenzeichnung) X(VocTabellen) X(VocTellerrad) \
    X(VocTemperatur) X(VocVerzahnung) X(VocWelle) X(VocWerkstattblatt) X(VocWerkstofftyp) \
    X(VocZahn) X(VocZahneingriff) X(VocZahnform) X(VocKugelmass) X(VocRollenmass) \
    X(VocZahnweite) X(VocGeometrieFestigkeit) X(VocSchneckengetriebe) \
    X(VocPolylinieFussausrundung) X(VocProfilverschiebung) X(VocLeistung) X(VocEinbaumass) \
    X(VocAntrieb) X(VocWaelzkurve) X(VocZahngeometrie) X(VocTeilkurven) X(VocZahnraeder) \
    X(VocZahnrad) X(VocWaelzlager) X(VocKegelrad) X(VocZahndicke) X(VocZahnstange) \
    X(VocSonderabmessungen) X(VocHohlrad) X(VocZahnfussbeanspruchung) X(VocGruebchenbildung) \
    X(VocZahnwelle) X(VocHaftbeiwerte) X(VocPruefbescheinigung) X(VocAxial) X(VocRadial) \
    X(VocWirkungsgrad) X(VocScheibenfeder) X(VocRollwinkel) X(VocMehrstufig) \
    X(VocSpezifischesGleiten) X(VocAntriebsrad) X(VocMalteserrad) X(VocLagerplatte) \
    X(VocDistanzhuelse) X(VocSchraubrad) X(VocSchraubradgetriebe)

#define KT4_PART_NAMES(X) \
    X(PartAntriebswelle) X(PartRolle) X(PartLagerdeckel) X(PartAntriebAbtrieb) \
    X(PartAbtrieb) X(PartAntrieb) X(PartGeschlossen) X(PartVoll) X(PartOffen) X(PartDuenn) \
    X(PartDistanzscheibe) X(PartExzenterwelle) X(PartAbtriebswelle) X(PartReibrad) \
    X(PartPlanetenrad)

namespace kt4::vocabulary {

#define KT4_DECLARE_WORD(name) extern std::string name;
KT4_VOCABULARY(KT4_DECLARE_WORD)
KT4_PART_NAMES(KT4_DECLARE_WORD)
#undef KT4_DECLARE_WORD

} // namespace kt4::vocabulary
