#pragma once
// The names of the shared datasets (the data module's list), as constants: a misspelt name is
// a compile error instead of an error at run time. Each is "Table" + the table's name.
#include <QString>

namespace brevalto::ds {

inline const QString Comuni = QStringLiteral("TableComuni");
inline const QString Ditta = QStringLiteral("TableDitta");
inline const QString Griglie = QStringLiteral("TableGriglie");
inline const QString Iva = QStringLiteral("TableIva");
inline const QString Nazioni = QStringLiteral("TableNazioni");
inline const QString Opzioni = QStringLiteral("TableOpzioni");
inline const QString PA_Body = QStringLiteral("TablePA_Body");
inline const QString PA_CedentePrestatore = QStringLiteral("TablePA_CedentePrestatore");
inline const QString PA_CessionarioCommittente = QStringLiteral("TablePA_CessionarioCommittente");
inline const QString PA_DescrizioniFunzionali = QStringLiteral("TablePA_DescrizioniFunzionali");
inline const QString PA_Divise = QStringLiteral("TablePA_Divise");
inline const QString PA_FE_Body_DatiBeniServizi_DatiRiepilogo =
    QStringLiteral("TablePA_FE_Body_DatiBeniServizi_DatiRiepilogo");
inline const QString PA_FE_Body_DatiBeniServizi_DettaglioLinee =
    QStringLiteral("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee");
inline const QString PA_FE_Body_DatiBeniServizi_DettaglioLinee_Altro =
    QStringLiteral("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee_Altro");
inline const QString PA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici =
    QStringLiteral("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici");
inline const QString PA_FE_Body_DatiBeniServizi_DettaglioLinee_Sconto =
    QStringLiteral("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee_Sconto");
inline const QString PA_FE_Body_DatiCassaPrevidenziale =
    QStringLiteral("TablePA_FE_Body_DatiCassaPrevidenziale");
inline const QString PA_FE_Body_DatiContratto = QStringLiteral("TablePA_FE_Body_DatiContratto");
inline const QString PA_FE_Body_DatiContratto_Riferimenti =
    QStringLiteral("TablePA_FE_Body_DatiContratto_Riferimenti");
inline const QString PA_FE_Body_DatiConvenzione = QStringLiteral("TablePA_FE_Body_DatiConvenzione");
inline const QString PA_FE_Body_DatiConvenzione_Riferimenti =
    QStringLiteral("TablePA_FE_Body_DatiConvenzione_Riferimenti");
inline const QString PA_FE_Body_DatiDDT = QStringLiteral("TablePA_FE_Body_DatiDDT");
inline const QString PA_FE_Body_DatiDDT_Riferimenti =
    QStringLiteral("TablePA_FE_Body_DatiDDT_Riferimenti");
inline const QString PA_FE_Body_DatiFattureCollegate =
    QStringLiteral("TablePA_FE_Body_DatiFattureCollegate");
inline const QString PA_FE_Body_DatiFattureCollegate_Riferimenti =
    QStringLiteral("TablePA_FE_Body_DatiFattureCollegate_Riferimenti");
inline const QString PA_FE_Body_DatiOrdineAcquisto =
    QStringLiteral("TablePA_FE_Body_DatiOrdineAcquisto");
inline const QString PA_FE_Body_DatiOrdineAcquisto_Riferimenti =
    QStringLiteral("TablePA_FE_Body_DatiOrdineAcquisto_Riferimenti");
inline const QString PA_FE_Body_DatiPagamento = QStringLiteral("TablePA_FE_Body_DatiPagamento");
inline const QString PA_FE_Body_DatiPagamento_Dettaglio =
    QStringLiteral("TablePA_FE_Body_DatiPagamento_Dettaglio");
inline const QString PA_FE_Body_DatiRicezione = QStringLiteral("TablePA_FE_Body_DatiRicezione");
inline const QString PA_FE_Body_DatiRicezione_Riferimenti =
    QStringLiteral("TablePA_FE_Body_DatiRicezione_Riferimenti");
inline const QString PA_FE_Body_DatiSAL = QStringLiteral("TablePA_FE_Body_DatiSAL");
inline const QString PA_FE_Body_ScontoMaggiorazione =
    QStringLiteral("TablePA_FE_Body_ScontoMaggiorazione");
inline const QString PA_FE_Header = QStringLiteral("TablePA_FE_Header");
inline const QString PA_ModalitaPagamento = QStringLiteral("TablePA_ModalitaPagamento");
inline const QString PA_Natura = QStringLiteral("TablePA_Natura");
inline const QString PA_RappresentanteFiscale = QStringLiteral("TablePA_RappresentanteFiscale");
inline const QString PA_RegimeFiscale = QStringLiteral("TablePA_RegimeFiscale");
inline const QString PA_TerzoIntermediarioOSoggettoEmittente =
    QStringLiteral("TablePA_TerzoIntermediarioOSoggettoEmittente");
inline const QString PA_TipoCassa = QStringLiteral("TablePA_TipoCassa");
inline const QString PA_TipoDocumento = QStringLiteral("TablePA_TipoDocumento");
inline const QString PA_IscrizRea_SocioUnico = QStringLiteral("TablePA_IscrizRea_SocioUnico");
inline const QString PA_IscrizRea_StatoLiquidazione =
    QStringLiteral("TablePA_IscrizRea_StatoLiquidazione");
inline const QString Province = QStringLiteral("TableProvince");
inline const QString Personalizzazioni = QStringLiteral("TablePersonalizzazioni");
inline const QString Regioni = QStringLiteral("TableRegioni");
inline const QString Vettori = QStringLiteral("TableVettori");
inline const QString PA_SoggettoEmittente = QStringLiteral("TablePA_SoggettoEmittente");
inline const QString PA_FE_Body_Allegati = QStringLiteral("TablePA_FE_Body_Allegati");
inline const QString PA_CondizioniPagamenti = QStringLiteral("TablePA_CondizioniPagamenti");
inline const QString PA_TipoRitenute = QStringLiteral("TablePA_TipoRitenute");
inline const QString Pa_Ritenute_CausalePagamento =
    QStringLiteral("TablePa_Ritenute_CausalePagamento");
inline const QString Pa_TipoScontoMaggiorazione = QStringLiteral("TablePa_TipoScontoMaggiorazione");
inline const QString PA_TipoResa = QStringLiteral("TablePA_TipoResa");
inline const QString PA_TipoCessionePrestazione = QStringLiteral("TablePA_TipoCessionePrestazione");
inline const QString PA_EsigibilitaIva = QStringLiteral("TablePA_EsigibilitaIva");
inline const QString DettaglioVeloce = QStringLiteral("TableDettaglioVeloce");
inline const QString PA_FE_Body_Causale = QStringLiteral("TablePA_FE_Body_Causale");
inline const QString PA_fatturazioneElettronica = QStringLiteral("TablePA_fatturazioneElettronica");
inline const QString ErroriScartoFatturazioneElettronica =
    QStringLiteral("TableErroriScartoFatturazioneElettronica");
inline const QString PA_FE_Body_DatiRitenuta = QStringLiteral("TablePA_FE_Body_DatiRitenuta");
inline const QString CercaLinee = QStringLiteral("TableCercaLinee");

} // namespace brevalto::ds
