-- A small Document (one body, one line, one VAT summary) for the installed-package test: what a
-- bookkeeper enters for a plain invoice between two Italian companies.
UPDATE Ditta SET CodFisc = 'RSSMRA80A01H501U', IdPaese = 'IT';
UPDATE opzioni SET CartellaEsportazioneDocumenti = '';
INSERT INTO PA_FE_Header (Numero, Data, Esportato, DatiTrasmissione_IdPaese,
  DatiTrasmissione_IdCodice, DatiTrasmissione_ProgressivoInvio,
  DatiTrasmissione_FormatoTrasmissione, DatiTrasmissione_CodiceDestinatario,
  DatiTrasmissione_ContattiTrasmittente, CedentePrestatore_IdPaese, CedentePrestatore_IdCodice,
  CedentePrestatore_Denominazione, CedentePrestatore_RegimeFiscale,
  CedentePrestatore_Sede_Indirizzo, CedentePrestatore_Sede_NumeroCivico,
  CedentePrestatore_Sede_CAP, CedentePrestatore_Sede_Comune, CedentePrestatore_Sede_Provincia,
  CedentePrestatore_Sede_Nazione, CedentePrestatore_StabileOrganizzazione,
  CedentePrestatore_Iscrizione_REA, CedentePrestatore_Iscrizione_Contatti, RappresentanteFiscale,
  CessionarioCommittente_IdFiscaleIva, CessionarioCommittente_IdPaese,
  CessionarioCommittente_IdCodice, CessionarioCommittente_Denominazione,
  CessionarioCommittente_Sede_Indirizzo, CessionarioCommittente_Sede_CAP,
  CessionarioCommittente_Sede_Comune, CessionarioCommittente_Sede_Provincia,
  CessionarioCommittente_Sede_Nazione, CessionarioCommittente_StabileOrganizzazione,
  CessionarioCommittente_RappresentanteFiscale, CessionarioCommittente_PubblicaAmministrazione,
  TerzoIntermediarioOSoggettoEmittente, TerzoIntermediarioOSoggettoEmittente_IdFiscaleIVA)
VALUES (1, '2024-01-15', 0, 'IT', 'RSSMRA80A01H501U', '1', 'FPR12', 'ABC1234', 0, 'IT',
  '01234567890', 'Alfa Srl', 'RF01', 'Via Roma', '1', '00100', 'Roma', 'RM', 'IT', 0, 0, 0, 0, 1,
  'IT', '09876543210', 'Beta Spa', 'Corso Italia', '20100', 'Milano', 'MI', 'IT', 0, 0, 0, 0, 0);
INSERT INTO PA_FE_Body (PA_FE_Header_Id, DatiGenerali_TipoDocumento, DatiGenerali_Divisa,
  DatiGenerali_Data, DatiGenerali_Numero, DatiGenerali_DatiBollo, DatiTrasporto,
  DatiAnagraficiVettore, IndirizzoResa, FatturaPrincipale, DatiVeicoli)
VALUES (last_insert_rowid(), 'TD01', 'EUR', '2024-01-15', '1', 0, 0, 0, 0, 0, 0);
INSERT INTO PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id, NumeroLinea, Descrizione,
  PrezzoUnitario, PrezzoTotale, AliquotaIva)
VALUES (last_insert_rowid(), 1, 'Consulenza', 100.0, 100.0, 22.0);
INSERT INTO PA_FE_Body_DatiBeniServizi_DatiRiepilogo (PA_FE_Body_Id, AliquotaIva,
  ImponibileImporto, Imposta, EsigibilitaIva)
SELECT PA_FE_Body_Id, 22.0, 100.0, 22.0, 'I' FROM PA_FE_Body_DatiBeniServizi_DettaglioLinee;
