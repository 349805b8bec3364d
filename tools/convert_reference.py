#!/usr/bin/env python3
"""Builds the reference data every new archive is born with.

Reads the public sources kept beside the project (ISTAT geography, ISO 3166-1 countries,
ISO 4217 currencies, the FatturaPA code lists and element table, the exchange system's
rejection codes) and writes one file per table into data/<TableName>.tsv. The program
compiles those files in and loads them into each archive it creates.

File format (the loader depends on it exactly): UTF-8 without BOM, LF line ends; the first
line holds the column names separated by TAB, then one line per row with the fields
separated by TAB. Inside a field the escapes \\t \\n \\r \\\\ stand for tab, line feed,
carriage return and backslash; a field that is exactly \\N is NULL. Numbers are plain text
with "." decimals, Yes/No is 0/1.

Usage: tools/convert_reference.py [--shared DIR] [--out DIR]
Standard library only.
"""

import argparse
import csv
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)

NULL = None  # written as \N

# Codes the exchange system rejects (check 00445 for N2/N3/N6, dropped from the Mod. CU for Z)
# but that old documents still carry: they stay in the lists, marked.
NO_LONGER_USABLE = " (non più utilizzabile dal 1/1/2021)"


# --------------------------------------------------------------------------- helpers


def read_csv(path):
    with open(path, encoding="utf-8-sig", newline="") as f:
        return list(csv.DictReader(f))


def clean(text):
    """Collapses runs of blanks (tabs, double spaces) inside each line and trims the lines."""
    if text is None:
        return None
    lines = [re.sub(r"[ \t\u00a0]+", " ", line).strip() for line in text.splitlines()]
    return "\n".join(line for line in lines).strip()


def clean_keep_indent(text):
    """Trims line ends only, so that indented pseudo-code keeps its shape."""
    lines = [line.replace("\t", "    ").rstrip() for line in text.splitlines()]
    return "\n".join(lines).strip()


def capitalise(text):
    return text[:1].upper() + text[1:] if text else text


def escape(value):
    if value is NULL:
        return "\\N"
    if isinstance(value, bool):
        return "1" if value else "0"
    text = str(value)
    return (
        text.replace("\\", "\\\\")
        .replace("\t", "\\t")
        .replace("\n", "\\n")
        .replace("\r", "\\r")
    )


def write_tsv(out_dir, table, columns, rows):
    path = os.path.join(out_dir, table + ".tsv")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\t".join(columns) + "\n")
        for row in rows:
            if len(row) != len(columns):
                raise ValueError("%s: row %r does not match %r" % (table, row, columns))
            f.write("\t".join(escape(v) for v in row) + "\n")
    return len(rows)


def require_unique(table, values):
    seen = set()
    for v in values:
        if v in seen:
            raise ValueError("%s: duplicate key %r" % (table, v))
        seen.add(v)


def empty_to_null(text):
    return text if text not in (None, "") else NULL


# --------------------------------------------------------------------------- FatturaPA codes

# Official texts with misprints; the corrected wording is used.
TYPO_FIXES = [
    ("benida", "beni da"),
    ("Escluse ex. art.", "Escluse ex art."),
    ("DPR. 633/72", "DPR 633/72"),
    ("art. 1,c.96-117", "art. 1, c.96-117"),
    ("esserre", "essere"),
]


def fix_typos(text):
    for wrong, right in TYPO_FIXES:
        text = text.replace(wrong, right)
    return text


# XSD simple type -> code table of the tabular representation (None: the table has no list).
CODE_LISTS = [
    ("PA_TipoDocumento", "TipoDocumentoType", "TipoDocumento", 20),
    ("PA_RegimeFiscale", "RegimeFiscaleType", "RegimeFiscale", 19),
    ("PA_Natura", "NaturaType", "Natura", 24),
    ("PA_EsigibilitaIva", "EsigibilitaIVAType", None, 3),
    ("PA_ModalitaPagamento", "ModalitaPagamentoType", "ModalitaPagamento", 23),
    ("PA_CondizioniPagamento", "CondizioniPagamentoType", None, 3),
    ("PA_TipoCassa", "TipoCassaType", "TipoCassa", 22),
    ("PA_TipoRitenuta", "TipoRitenutaType", "TipoRitenuta", 6),
    ("Pa_TipoScontoMaggiorazione", "TipoScontoMaggiorazioneType", None, 2),
    ("PA_TipoCessionePrestazione", "TipoCessionePrestazioneType", None, 4),
    ("PA_SoggettoEmittente", "SoggettoEmittenteType", None, 2),
    ("PA_IscrizRea_SocioUnico", "SocioUnicoType", None, 2),
    ("PA_IscrizRea_StatoLiquidazione", "StatoLiquidazioneType", None, 2),
]

# Codes whose wording the newest schema changed after the tabular representation was published:
# the schema's text wins (TD20 no longer cites art. 6 c.8, which TD29 now covers).
SCHEMA_WORDING_WINS = {"TD20"}

# Generic natures replaced by their subcodes; the schema's N6 text is a paragraph, shortened here.
GENERIC_NATURE_TEXT = {
    "N2": "Non soggette",
    "N3": "Non imponibili",
    "N6": "Inversione contabile",
}


def code_description(code, schema_text, table_text):
    """The fuller of the two official wordings; the tabular one on a tie."""
    # Typographic apostrophes become plain ones, so that typed searches find the text.
    schema_text = fix_typos(clean(schema_text or "")).replace("\u2019", "'")
    table_text = fix_typos(clean(table_text or "")).replace("\u2019", "'")
    # Schema texts of a few lists repeat the code ("SC = Sconto").
    schema_text = re.sub(r"^%s = " % re.escape(code), "", schema_text)
    if code in SCHEMA_WORDING_WINS and schema_text:
        chosen = schema_text
    elif len(schema_text) > len(table_text):
        chosen = schema_text
    else:
        chosen = table_text or schema_text
    if not chosen:
        raise ValueError("no description for code %s" % code)
    return capitalise(chosen)


# Mod. CU payment reasons (the schema lists the codes without texts).
CAUSALI_PAGAMENTO = {
    "A": "Prestazioni di lavoro autonomo rientranti nell'esercizio di arte o professione "
    "abituale",
    "B": "Utilizzazione economica, da parte dell'autore o dell'inventore, di opere "
    "dell'ingegno, di brevetti industriali e di processi, formule o informazioni relativi a "
    "esperienze acquisite in campo industriale, commerciale o scientifico",
    "C": "Utili derivanti da contratti di associazione in partecipazione e da contratti di "
    "cointeressenza, quando l'apporto è costituito esclusivamente dalla prestazione di lavoro",
    "D": "Utili spettanti ai soci promotori e ai soci fondatori delle società di capitali",
    "E": "Levata di protesti cambiari da parte dei segretari comunali",
    "G": "Indennità corrisposte per la cessazione di attività sportiva professionale",
    "H": "Indennità corrisposte per la cessazione dei rapporti di agenzia delle persone "
    "fisiche e delle società di persone, escluse le somme maturate entro il 31 dicembre 2003, "
    "già imputate per competenza e tassate come reddito d'impresa",
    "I": "Indennità corrisposte per la cessazione da funzioni notarili",
    "L": "Redditi derivanti dall'utilizzazione economica di opere dell'ingegno, di brevetti "
    "industriali e di processi, formule e informazioni relativi a esperienze acquisite in "
    "campo industriale, commerciale o scientifico, percepiti dagli aventi causa a titolo "
    "gratuito (ad esempio eredi e legatari dell'autore o dell'inventore)",
    "M": "Prestazioni di lavoro autonomo non esercitate abitualmente",
    "N": "Indennità di trasferta, rimborsi forfetari di spese, premi e compensi erogati "
    "nell'esercizio diretto di attività sportive dilettantistiche o per collaborazioni "
    "coordinate e continuative di carattere amministrativo-gestionale di natura non "
    "professionale rese a società e associazioni sportive dilettantistiche, cori, bande e "
    "filodrammatiche",
    "O": "Prestazioni di lavoro autonomo non esercitate abitualmente per le quali non sussiste "
    "l'obbligo di iscrizione alla gestione separata (Circ. INPS n. 104/2001)",
    "P": "Compensi corrisposti a soggetti non residenti privi di stabile organizzazione per "
    "l'uso o la concessione in uso di attrezzature industriali, commerciali o scientifiche che "
    "si trovano nel territorio dello Stato, ovvero a società svizzere o stabili organizzazioni "
    "di società svizzere in possesso dei requisiti dell'art. 15, comma 2, dell'Accordo tra la "
    "Comunità europea e la Confederazione svizzera del 26 ottobre 2004",
    "Q": "Provvigioni corrisposte ad agente o rappresentante di commercio monomandatario",
    "R": "Provvigioni corrisposte ad agente o rappresentante di commercio plurimandatario",
    "S": "Provvigioni corrisposte a commissionario",
    "T": "Provvigioni corrisposte a mediatore",
    "U": "Provvigioni corrisposte a procacciatore di affari",
    "V": "Provvigioni corrisposte a incaricato per le vendite a domicilio e a incaricato per la "
    "vendita porta a porta e per la vendita ambulante di giornali quotidiani e periodici "
    "(L. 25 febbraio 1987, n. 67)",
    "W": "Corrispettivi erogati per prestazioni relative a contratti d'appalto cui si sono "
    "rese applicabili le disposizioni dell'art. 25-ter del D.P.R. n. 600/1973",
    "X": "Canoni corrisposti nel 2004 da società o enti residenti ovvero da stabili "
    "organizzazioni di società estere di cui all'art. 26-quater, comma 1, lett. a) e b) del "
    "D.P.R. n. 600/1973 a società o stabili organizzazioni di società situate in un altro "
    "Stato membro dell'Unione europea, per i quali è stato effettuato nel 2006 il rimborso "
    "della ritenuta ai sensi dell'art. 4 del D.Lgs. 30 maggio 2005, n. 143",
    "Y": "Canoni corrisposti dal 1° gennaio 2005 al 26 luglio 2005 da società o enti residenti "
    "ovvero da stabili organizzazioni di società estere di cui all'art. 26-quater, comma 1, "
    "lett. a) e b) del D.P.R. n. 600/1973 a società o stabili organizzazioni di società "
    "situate in un altro Stato membro dell'Unione europea, per i quali è stato effettuato il "
    "rimborso della ritenuta ai sensi dell'art. 4 del D.Lgs. 30 maggio 2005, n. 143",
    "Z": "Titolo diverso dai precedenti" + NO_LONGER_USABLE + ", usare ZO",
    "L1": "Redditi derivanti dall'utilizzazione economica di opere dell'ingegno, di brevetti "
    "industriali e di processi, formule e informazioni relativi a esperienze acquisite in "
    "campo industriale, commerciale o scientifico, percepiti da soggetti che abbiano "
    "acquistato a titolo oneroso i diritti alla loro utilizzazione",
    "M1": "Redditi derivanti dall'assunzione di obblighi di fare, di non fare o permettere",
    "M2": "Prestazioni di lavoro autonomo non esercitate abitualmente per le quali sussiste "
    "l'obbligo di iscrizione alla gestione separata ENPAPI",
    "O1": "Redditi derivanti dall'assunzione di obblighi di fare, di non fare o permettere, "
    "per i quali non sussiste l'obbligo di iscrizione alla gestione separata (Circ. INPS n. "
    "104/2001)",
    "V1": "Redditi derivanti da attività commerciali non esercitate abitualmente (ad esempio "
    "provvigioni corrisposte per prestazioni occasionali ad agente o rappresentante di "
    "commercio, mediatore, procacciatore d'affari)",
    "ZO": "Titolo diverso dai precedenti",
}

# Incoterms 2020 and the older terms still found on past documents.
INCOTERMS = [
    ("EXW", "Franco fabbrica (Ex Works)"),
    ("FCA", "Franco vettore (Free Carrier)"),
    ("CPT", "Trasporto pagato fino a (Carriage Paid To)"),
    ("CIP", "Trasporto e assicurazione pagati fino a (Carriage and Insurance Paid To)"),
    ("DAP", "Reso al luogo di destinazione (Delivered At Place)"),
    ("DPU", "Reso al luogo di destinazione scaricato (Delivered at Place Unloaded)"),
    ("DDP", "Reso sdoganato (Delivered Duty Paid)"),
    ("FAS", "Franco lungo bordo (Free Alongside Ship)"),
    ("FOB", "Franco a bordo (Free On Board)"),
    ("CFR", "Costo e nolo (Cost and Freight)"),
    ("CIF", "Costo, assicurazione e nolo (Cost, Insurance and Freight)"),
    ("DAT", "Reso al terminal (Delivered At Terminal) - Incoterms 2010, sostituito da DPU"),
    ("DAF", "Reso frontiera (Delivered At Frontier) - Incoterms 2000"),
    ("DES", "Reso franco nave (Delivered Ex Ship) - Incoterms 2000"),
    ("DEQ", "Reso franco banchina (Delivered Ex Quay) - Incoterms 2000"),
    ("DDU", "Reso non sdoganato (Delivered Duty Unpaid) - Incoterms 2000"),
]


def fatturapa_code_lists(shared, out):
    tables = os.path.join(shared, "fatturapa", "tables")
    enum_rows = read_csv(os.path.join(tables, "xsd_enumerations_v1.2.3.csv"))
    table_rows = read_csv(os.path.join(tables, "rappresentazione_tabellare_v1.2.2_codifiche.csv"))

    schema = {}
    for r in enum_rows:
        schema.setdefault(r["simpleType"], []).append((r["value"], r["documentation_it"]))
    tabular = {}
    for r in table_rows:
        tabular.setdefault(r["codifica"], {})[r["codice"]] = r["descrizione"]

    counts = {}
    for table, simple_type, table_list, expected in CODE_LISTS:
        codes = schema[simple_type]
        if len(codes) != expected:
            raise ValueError("%s: %d codes, expected %d" % (simple_type, len(codes), expected))
        words = tabular.get(table_list, {}) if table_list else {}
        rows = []
        for code, schema_text in codes:
            if table == "PA_Natura" and code in GENERIC_NATURE_TEXT:
                text = GENERIC_NATURE_TEXT[code] + NO_LONGER_USABLE
            else:
                text = code_description(code, schema_text, words.get(code))
            rows.append([code, text])
        require_unique(table, [r[0] for r in rows])
        if table == "PA_ModalitaPagamento":
            # The settings row refers to a payment method by key: MP01 -> 1 ... MP23 -> 23.
            rows = [[int(code[2:]), code, text] for code, text in rows]
            require_unique(table, [r[0] for r in rows])
            counts[table] = write_tsv(out, table, ["Id", "Codice", "Descrizione"], rows)
        else:
            counts[table] = write_tsv(out, table, ["Codice", "Descrizione"], rows)

    causali = [code for code, _ in schema["CausalePagamentoType"]]
    if len(causali) != 29 or set(causali) != set(CAUSALI_PAGAMENTO):
        raise ValueError("CausalePagamento codes differ from the texts written here")
    counts["Pa_Ritenute_CausalePagamento"] = write_tsv(
        out,
        "Pa_Ritenute_CausalePagamento",
        ["Codice", "Descrizione"],
        [[code, CAUSALI_PAGAMENTO[code]] for code in causali],
    )
    counts["PA_TipoResa"] = write_tsv(
        out, "PA_TipoResa", ["Codice", "Descrizione"], [list(r) for r in INCOTERMS]
    )
    return counts


# --------------------------------------------------------------------------- currencies

# Italian names where the ISO list has none (or an English one), and names that would
# otherwise appear twice in the pick list.
CURRENCY_NAMES = {
    "AMD": "Dram armeno",
    "BOV": "Mvdol boliviano",
    "CLF": "Unidad de Fomento cilena",
    "COU": "Unidad de Valor Real colombiana",
    "CRC": "Colón costaricano",
    "SVC": "Colón salvadoregno",
    "ETB": "Birr etiope",
    "GHS": "Cedi ghanese",
    "HRK": "Kuna croata",
    "ILS": "Nuovo siclo israeliano",
    "KGS": "Som kirghiso",
    "LAK": "Kip laotiano",
    "MXV": "Unidad de Inversión messicana (UDI)",
    "PEN": "Sol peruviano",
    "PLN": "Złoty polacco",
    "SLE": "Leone sierraleonese",
    "SLL": "Leone sierraleonese (vecchio)",
    "TMT": "Manat turkmeno",
    "USN": "Dollaro USA (giorno successivo)",
    "UYI": "Peso uruguaiano in unità indicizzate (UI)",
    "UYW": "Unidad Previsional uruguaiana",
    "VED": "Bolívar venezuelano digitale",
    "VES": "Bolívar venezuelano sovrano",
    "XSU": "Sucre (Sistema unico di compensazione regionale)",
}


def currencies(shared, out):
    rows = []
    for r in read_csv(os.path.join(shared, "reference", "valute_iso4217.csv")):
        name = CURRENCY_NAMES.get(r["alpha3"]) or clean(r["name_it"]) or clean(r["name_en"])
        rows.append([r["alpha3"], name])
    require_unique("PA_Divise", [r[0] for r in rows])
    require_unique("PA_Divise names", [r[1] for r in rows])
    if "EUR" not in [r[0] for r in rows]:
        raise ValueError("PA_Divise: no EUR")
    return {"PA_Divise": write_tsv(out, "PA_Divise", ["Codice", "Descrizione"], rows)}


# --------------------------------------------------------------------------- geography

ITALY_ID = 390  # the value every new municipality takes as its nation

# Italian names missing from the ISO translation, or that read oddly in a pick list.
COUNTRY_NAMES = {
    "BO": "Bolivia",
    "CZ": "Repubblica Ceca",
    "KR": "Corea del Sud",
    "LC": "Santa Lucia",
    "MC": "Principato di Monaco",
    "MM": "Myanmar (Birmania)",
    "PN": "Isole Pitcairn",
    "PS": "Palestina",
    "SS": "Sudan del Sud",
    "TR": "Turchia",
    "TW": "Taiwan",
    "VE": "Venezuela",
    "VG": "Isole Vergini britanniche",
    "VI": "Isole Vergini americane",
}


def countries(shared, out):
    """IDNazione is the ISO numeric code, except Italy, which takes 390.

    Should a country ever hold ISO numeric 390, it takes Italy's own numeric code (380) instead,
    which Italy leaves free; the ids stay unique either way (checked below)."""
    source = read_csv(os.path.join(shared, "reference", "nazioni_iso3166.csv"))
    italy_numeric = next(int(r["numeric"]) for r in source if r["alpha2"] == "IT")
    rows = []
    for r in source:
        numeric = int(r["numeric"])
        if r["alpha2"] == "IT":
            ident, name = ITALY_ID, "Italia"
        else:
            ident = italy_numeric if numeric == ITALY_ID else numeric
            name = COUNTRY_NAMES.get(r["alpha2"]) or clean(r["name_it"]) or clean(r["name_en"])
        rows.append([ident, r["alpha2"], name])
    require_unique("Nazioni IDNazione", [r[0] for r in rows])
    require_unique("Nazioni SIGLA", [r[1] for r in rows])
    return {"Nazioni": write_tsv(out, "Nazioni", ["IDNazione", "SIGLA", "DENOMINAZ"], rows)}


def regions(shared, out):
    rows = [
        [int(r["region_id"]), clean(r["name"])]
        for r in read_csv(os.path.join(shared, "reference", "regioni.csv"))
    ]
    if len(rows) != 20:
        raise ValueError("Regioni: %d rows" % len(rows))
    require_unique("Regioni", [r[0] for r in rows])
    return {"Regioni": write_tsv(out, "Regioni", ["IDRegione", "Descrizione"], rows)}


def provinces(shared, out):
    """Every current province, plus Sud Sardegna (SU, abolished 2026): addresses of documents
    issued before still carry it, and the pick list should show its name rather than nothing.
    Its name says it is abolished, so that nobody picks it for a new address."""
    rows = []
    for r in read_csv(os.path.join(shared, "reference", "province.csv")):
        name = clean(r["name"])
        if r["active"] != "1":
            name += " (soppressa)"
        rows.append([r["sigla"], name, int(r["region_id"])])
    require_unique("Province", [r[0] for r in rows])
    return {"Province": write_tsv(out, "Province", ["PROVINCIA", "CAPOLUOGO", "Regione_ID"], rows)}


def municipalities(shared, out):
    """ID is the ISTAT code read as a number (001001 -> 1001): unique, the same every time the
    file is rebuilt, and a municipality added later slots in without renumbering the others.

    CAP: the main postcode; where the source has none (a municipality born from a merger) the
    first of its postcodes. Capoluogo is 0 where the source does not know the capitals (the
    provinces created in Sardinia in 2026)."""
    rows = []
    for r in read_csv(os.path.join(shared, "reference", "comuni.csv")):
        cap = r["cap"] or (r["caps"].split("|")[0] if r["caps"] else "00000")
        rows.append(
            [
                int(r["istat_code"]),
                clean(r["name_it"]),
                cap,
                r["province_sigla"],
                int(r["region_id"]),
                ITALY_ID,
                r["istat_code"],
                r["cadastral_code"],
                empty_to_null(r["phone_prefix"]),
                1 if r["is_province_capital"] == "1" else 0,
                empty_to_null(r["latitude"]),
                empty_to_null(r["longitude"]),
            ]
        )
    if len(rows) != 7894:
        raise ValueError("Comuni: %d rows" % len(rows))
    require_unique("Comuni ID", [r[0] for r in rows])
    require_unique("Comuni CODICE_F", [r[7] for r in rows])
    columns = [
        "ID",
        "Comune",
        "CAP",
        "Provincia",
        "Regione_ID",
        "Nazione_ID",
        "COD_ISTAT",
        "CODICE_F",
        "PrefNaz",
        "Capoluogo",
        "Latitudine",
        "Longitudine",
    ]
    return {"Comuni": write_tsv(out, "Comuni", columns, rows)}


# --------------------------------------------------------------------------- VAT

# (Id, rate, description, nature, cannot be deleted). The 22 % row is Id 1: the settings row
# points at it.
VAT_RATES = [
    (1, 22, "Iva 22%", None, 1),
    (2, 10, "Iva 10%", None, 1),
    (3, 5, "Iva 5%", None, 1),
    (4, 4, "Iva 4%", None, 1),
    (5, 0, "Escluso art. 15 (N1)", "N1", 0),
    (6, 0, "Non soggetto artt. da 7 a 7-septies (N2.1)", "N2.1", 0),
    (7, 0, "Non soggetto - altri casi (N2.2)", "N2.2", 0),
    (8, 0, "Non imponibile - esportazioni (N3.1)", "N3.1", 0),
    (9, 0, "Non imponibile - cessioni intracomunitarie (N3.2)", "N3.2", 0),
    (10, 0, "Non imponibile - cessioni verso San Marino (N3.3)", "N3.3", 0),
    (11, 0, "Non imponibile - operazioni assimilate alle esportazioni (N3.4)", "N3.4", 0),
    (12, 0, "Non imponibile - dichiarazione d'intento (N3.5)", "N3.5", 0),
    (13, 0, "Non imponibile - altre operazioni senza plafond (N3.6)", "N3.6", 0),
    (14, 0, "Esente art. 10 (N4)", "N4", 0),
    (15, 0, "Regime del margine / IVA non esposta (N5)", "N5", 0),
    (16, 0, "Reverse charge - rottami e materiali di recupero (N6.1)", "N6.1", 0),
    (17, 0, "Reverse charge - oro e argento (N6.2)", "N6.2", 0),
    (18, 0, "Reverse charge - subappalto settore edile (N6.3)", "N6.3", 0),
    (19, 0, "Reverse charge - cessione di fabbricati (N6.4)", "N6.4", 0),
    (20, 0, "Reverse charge - telefoni cellulari (N6.5)", "N6.5", 0),
    (21, 0, "Reverse charge - prodotti elettronici (N6.6)", "N6.6", 0),
    (22, 0, "Reverse charge - comparto edile e settori connessi (N6.7)", "N6.7", 0),
    (23, 0, "Reverse charge - settore energetico (N6.8)", "N6.8", 0),
    (24, 0, "Reverse charge - altri casi (N6.9)", "N6.9", 0),
    (25, 0, "IVA assolta in altro Stato UE (N7)", "N7", 0),
]


def vat(out, natures):
    rows = []
    for ident, rate, text, nature, locked in VAT_RATES:
        if nature is not None and nature not in natures:
            raise ValueError("Iva: unknown nature %s" % nature)
        rows.append([ident, rate, text, nature, locked])
    require_unique("Iva", [r[0] for r in rows])
    columns = ["Id", "Iva", "Descrizione", "Pa_Natura_Codice", "NonEliminabile"]
    return {"Iva": write_tsv(out, "Iva", columns, rows)}


def firm_and_settings(out):
    counts = {"Ditta": write_tsv(out, "Ditta", ["IdPaese"], [["IT"]])}
    rate_id, rate = VAT_RATES[0][0], VAT_RATES[0][1]
    columns = [
        "Id",
        "VerBaseDati",
        "TabIniziale",
        "StudioCommerciale",
        "Iva_Id",
        "AliquotaIva",
        "CarattereTab",
        "ImportaIntestazionePrimaLinea",
    ]
    counts["opzioni"] = write_tsv(out, "opzioni", columns, [[1, 3, 1, 0, rate_id, rate, "\t", 0]])
    return counts


# --------------------------------------------------------------------------- catalogues

# What to do about each rejection, where the remedy is plain. Written for this program's users.
ERROR_ADVICE = {
    "00001": "Rinominare il file secondo la regola: codice paese e identificativo fiscale del "
    "trasmittente, \"_\", progressivo alfanumerico di 5 caratteri (es. "
    "IT01234567890_00001.xml), poi rinviarlo.",
    "00002": "Un file con lo stesso nome è già stato inviato: dare al file un nuovo progressivo "
    "e rinviarlo.",
    "00003": "Ridurre le dimensioni del file (allegati più leggeri o compressi) oppure "
    "suddividere il lotto in più file; il limite dipende dal canale di trasmissione.",
    "00100": "Rinnovare il certificato di firma, firmare di nuovo il file e rinviarlo.",
    "00101": "Il certificato è stato revocato: ottenerne uno nuovo, firmare di nuovo il file e "
    "rinviarlo.",
    "00102": "Firmare di nuovo il file (CAdES-BES o XAdES-BES) senza modificarlo dopo la firma "
    "e rinviarlo.",
    "00103": "Firmare di nuovo il file con un software che registri data e ora della firma e "
    "rinviarlo.",
    "00104": "Firmare con un certificato rilasciato da un certificatore presente nell'elenco "
    "pubblico dei certificatori e rinviare il file.",
    "00105": "Controllare data e ora del computer usato per firmare, firmare di nuovo il file e "
    "rinviarlo.",
    "00106": "Rigenerare il file (o l'archivio compresso) controllando che non sia vuoto e che "
    "si apra correttamente, poi rinviarlo.",
    "00107": "Verificare il certificato presso il certificatore, firmare di nuovo il file con un "
    "certificato valido e rinviarlo.",
    "00200": "Leggere nella notifica di scarto l'elemento indicato, correggere il dato nel "
    "documento, rigenerare il file e verificarlo prima di rinviarlo.",
    "00201": "Il file contiene troppi errori di formato: verificarlo, correggere tutti gli "
    "errori e rinviarlo.",
    "00300": "Controllare il codice fiscale o la partita IVA del trasmittente nei dati della "
    "ditta.",
    "00301": "Controllare la partita IVA del cedente/prestatore: deve esistere ed essere attiva "
    "in Anagrafe Tributaria.",
    "00302": "Controllare il codice fiscale del cedente/prestatore.",
    "00303": "Controllare la partita IVA del rappresentante fiscale o del terzo intermediario.",
    "00304": "Controllare il codice fiscale del rappresentante fiscale.",
    "00305": "Controllare la partita IVA del cessionario/committente; se il cliente non ne ha "
    "una indicare solo il codice fiscale.",
    "00306": "Controllare il codice fiscale del cessionario/committente.",
    "00311": "Verificare il codice destinatario comunicato dal cliente (per la PA il codice "
    "univoco ufficio pubblicato in IndicePA) e correggerlo.",
    "00312": "L'ufficio destinatario non è attivo: chiedere all'amministrazione il codice "
    "univoco ufficio corretto.",
    "00313": "Usare XXXXXXX come codice destinatario solo per clienti esteri, indicandone "
    "l'identificativo IVA con un paese diverso da IT.",
    "00320": "Partita IVA e codice fiscale del cedente/prestatore devono appartenere allo stesso "
    "soggetto: correggere l'uno o l'altro.",
    "00321": "Indicare il codice fiscale del partecipante al gruppo IVA che ha effettuato "
    "l'operazione.",
    "00322": "Con la partita IVA di un gruppo IVA indicare anche il codice fiscale del "
    "partecipante che ha effettuato l'operazione.",
    "00323": "La partita IVA del cedente/prestatore risulta cessata: indicare quella in uso.",
    "00324": "Partita IVA e codice fiscale del cessionario/committente devono appartenere allo "
    "stesso soggetto: correggere l'uno o l'altro.",
    "00325": "Indicare il codice fiscale del partecipante al gruppo IVA destinatario "
    "dell'operazione.",
    "00326": "Con la partita IVA di un gruppo IVA del cessionario/committente indicare anche il "
    "codice fiscale del partecipante.",
    "00398": "Il codice ufficio \"Centrale\" vale solo se l'amministrazione ha un unico ufficio "
    "di fatturazione: chiedere all'amministrazione il codice univoco dell'ufficio destinatario.",
    "00399": "Il cliente è una pubblica amministrazione presente in IndicePA: emettere la "
    "fattura in formato FPA12 con il codice univoco ufficio.",
    "00400": "Indicare la natura sulle linee con aliquota IVA zero.",
    "00401": "Togliere la natura dalle linee con aliquota IVA diversa da zero, oppure portare "
    "l'aliquota a zero.",
    "00403": "Correggere la data del documento: non può essere successiva alla data di invio.",
    "00404": "Una fattura con lo stesso numero, data e tipo documento del medesimo cedente è "
    "già stata accettata: non rinviarla; se si tratta di un documento diverso correggerne "
    "numero o data.",
    "00409": "Il lotto contiene più fatture con lo stesso numero, data e tipo documento: "
    "correggere la numerazione.",
    "00411": "Compilare i dati della ritenuta del documento, oppure togliere l'indicazione di "
    "ritenuta dalle linee.",
    "00413": "Indicare la natura nel blocco cassa previdenziale con aliquota IVA zero.",
    "00414": "Togliere la natura dal blocco cassa previdenziale con aliquota IVA diversa da "
    "zero.",
    "00415": "Compilare i dati della ritenuta del documento, oppure togliere l'indicazione di "
    "ritenuta dalla cassa previdenziale.",
    "00417": "Indicare la partita IVA o il codice fiscale del cessionario/committente.",
    "00418": "La data del documento non può precedere quella della fattura collegata (ad "
    "esempio la fattura che una nota di credito rettifica): correggere una delle due date.",
    "00419": "Ogni aliquota IVA usata nelle linee o nella cassa previdenziale deve avere il suo "
    "riepilogo: ricreare i riepiloghi IVA del documento.",
    "00420": "Con natura N6.x (inversione contabile) l'esigibilità non può essere S: indicare I "
    "o D.",
    "00421": "Ricalcolare l'imposta di ogni riepilogo come imponibile per aliquota, arrotondata "
    "a due decimali.",
    "00422": "Ricalcolare l'imponibile di ogni riepilogo: somma dei prezzi totali delle linee e "
    "dei contributi cassa con quella aliquota, più l'eventuale arrotondamento.",
    "00423": "Ricalcolare il prezzo totale della linea: prezzo unitario per quantità, con gli "
    "sconti e le maggiorazioni applicati.",
    "00424": "Indicare le aliquote IVA in percentuale (22.00 e non 0.22).",
    "00425": "Il numero del documento deve contenere almeno una cifra.",
    "00426": "Con codice destinatario 0000000 indicare la PEC del destinatario; con un codice "
    "diverso lasciarla vuota.",
    "00427": "Il codice destinatario ha 6 caratteri per la PA (FPA12) e 7 per i privati "
    "(FPR12): correggere il formato di trasmissione o il codice.",
    "00428": "Rigenerare il file: il formato di trasmissione (FPA12 o FPR12) deve coincidere con "
    "l'attributo versione.",
    "00429": "Indicare la natura nei riepiloghi con aliquota IVA zero.",
    "00430": "Togliere la natura dai riepiloghi con aliquota IVA diversa da zero.",
    "00437": "Per lo sconto o la maggiorazione del documento indicare la percentuale o "
    "l'importo, oppure eliminarlo.",
    "00438": "Per lo sconto o la maggiorazione della linea indicare la percentuale o l'importo, "
    "oppure eliminarlo.",
    "00443": "Ogni aliquota IVA delle linee e della cassa previdenziale deve comparire in un "
    "riepilogo: ricreare i riepiloghi IVA del documento.",
    "00444": "Ogni natura delle linee e della cassa previdenziale deve comparire in un "
    "riepilogo: ricreare i riepiloghi IVA del documento.",
    "00445": "Sostituire N2, N3 o N6 con il sottocodice specifico (ad esempio N2.2, N3.1, N6.9) "
    "nelle linee, nella cassa previdenziale e nei riepiloghi.",
    "00459": "Scegliere un regime fiscale valido: RF03 non esiste più.",
    "00471": "Con questo tipo documento cedente/prestatore e cessionario/committente devono "
    "essere soggetti diversi: controllare i dati delle due parti.",
    "00472": "Con TD21 (autofattura per splafonamento) cedente/prestatore e "
    "cessionario/committente devono coincidere.",
    "00473": "Controllare il paese del cedente/prestatore: con TD17, TD18, TD19 e TD28 non può "
    "essere IT, con TD29 deve essere IT.",
    "00474": "Con TD21 tutte le linee devono avere un'aliquota IVA diversa da zero.",
    "00475": "Con questo tipo documento indicare la partita IVA del cessionario/committente.",
    "00476": "Cedente/prestatore e cessionario/committente non possono essere entrambi esteri: "
    "controllare il paese dei due soggetti.",
    "00477": "La dichiarazione d'intento indicata è stata invalidata: chiedere al cliente gli "
    "estremi di una dichiarazione valida oppure applicare l'IVA.",
}


# Remarks of the transcription that point at pages of the original paper, useless to the user.
TRANSCRIPTION_NOTES = [
    r"\s*\(Nel documento originale.*?refuso\.\)",
    r" *\(Formula resa in forma testuale[^\n]*",
    r" *Esempi di calcolo nel documento originale[^\n]*",
    r" *Pseudo-codice completo nel documento originale[^\n]*",
]


def drop_transcription_notes(text):
    for pattern in TRANSCRIPTION_NOTES:
        text = re.sub(pattern, "", text)
    return text


def rejection_errors(shared, out):
    """The checks list in force (with its explanations and pseudo-code) plus the codes found
    only in the element table (00313, 00325, 00326), whose explanation is built here."""
    main = read_csv(os.path.join(shared, "reference", "sdi_errori_scarto.csv"))
    extra = read_csv(os.path.join(shared, "fatturapa", "tables", "sdi_error_codes.csv"))
    by_code = {}
    for r in main:
        by_code[r["codice"]] = [
            r["codice"],
            fix_typos(clean(r["titolo"])),
            drop_transcription_notes(fix_typos(clean_keep_indent(r["descrizione"]))),
        ]
    for r in extra:
        if r["codice"] in by_code:
            continue
        title = fix_typos(clean(r["descrizione_ufficiale"]))
        elements = r["elementi"].replace(";", ", ")
        text = (
            "Errore segnalato dal Sistema di Interscambio sull'elemento %s. Il codice compare "
            "nella rappresentazione tabellare del tracciato (versione 1.2.2) ma non "
            "nell'elenco dei controlli in vigore." % elements
        )
        by_code[r["codice"]] = [r["codice"], title, text]
    rows = []
    for code in sorted(by_code):
        advice = ERROR_ADVICE.get(code, "")
        rows.append(by_code[code] + [advice])
    unknown = set(ERROR_ADVICE) - set(by_code)
    if unknown:
        raise ValueError("advice for unknown error codes %s" % sorted(unknown))
    columns = ["Codice", "Titolo", "Descrizione", "Suggerimenti"]
    return {"PA_Errori": write_tsv(out, "PA_Errori", columns, rows)}


def functional_descriptions(shared, out):
    path = os.path.join(shared, "fatturapa", "tables", "rappresentazione_tabellare_v1.2.2.csv")
    rows = [
        [r["id"].strip(), r["element"].strip(), clean(r["descrizione_funzionale"])]
        for r in read_csv(path)
    ]
    if len(rows) != 265 or rows[0][0] != "1" or rows[-1][0] != "2.5.5":
        raise ValueError("PA_DescrizioniFunzionali: unexpected element list")
    require_unique("PA_DescrizioniFunzionali", [r[0] for r in rows])
    columns = ["Codice", "Titolo", "Descrizione"]
    return {"PA_DescrizioniFunzionali": write_tsv(out, "PA_DescrizioniFunzionali", columns, rows)}


# --------------------------------------------------------------------------- main


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--shared", default=os.path.join(REPO, "..", "shared"))
    parser.add_argument("--out", default=os.path.join(REPO, "data"))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)

    counts = {}
    counts.update(firm_and_settings(args.out))
    code_counts = fatturapa_code_lists(args.shared, args.out)
    counts.update(code_counts)
    counts.update(currencies(args.shared, args.out))
    counts.update(countries(args.shared, args.out))
    counts.update(regions(args.shared, args.out))
    counts.update(provinces(args.shared, args.out))
    counts.update(municipalities(args.shared, args.out))
    natures = {
        r["value"]
        for r in read_csv(
            os.path.join(args.shared, "fatturapa", "tables", "xsd_enumerations_v1.2.3.csv")
        )
        if r["simpleType"] == "NaturaType"
    }
    counts.update(vat(args.out, natures))
    counts.update(rejection_errors(args.shared, args.out))
    counts.update(functional_descriptions(args.shared, args.out))

    for table in sorted(counts, key=str.lower):
        print("%-34s %6d" % (table, counts[table]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
