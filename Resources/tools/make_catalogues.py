#!/usr/bin/env python3
"""Writes the Qt Linguist catalogues Resources/locales/{br,es,en}.ts from one table.

Keeping every context, source text and translation in one place makes it easy to see that
the three languages hold the same entries. The build compiles the .ts files to .qm.
"""

import os
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
LOCALES = os.path.join(os.path.dirname(HERE), "locales")

SAME = None  # English repeats the source text

# (context, source, en, es, br)
TABLE = [
    ("CropCtrl", "Can not save file", SAME, "No se puede guardar el archivo",
     "Impossível guardar o arquivo"),
    ("CropCtrl", "Clear", SAME, "Borrar", "Limpar"),
    ("CropCtrl", "Close", SAME, "Cerrar", "Fechar"),
    ("CropCtrl", "Error", SAME, "Error", "Falta"),
    ("CropCtrl", "Record", SAME, "Grabación", "Gravar"),
    ("CropCtrl", "Record with sound", SAME, "Grabación con sonido", "Gravar com áudio"),
    ("CropCtrl", "Save", SAME, "Guardar", "Guardar"),
    ("CropCtrl", "Save video to computer", SAME, "Guardar video en el ordenador",
     "Guardar o arquivo de vídeo no computador"),
    ("CropCtrl", "Select the area", SAME, "Selecciona área", "Selecionar área"),
    ("CropCtrl", "Share", SAME, "Compartir", "Partilhar"),
    ("CropCtrl", "Share to facebook", "Share to Facebook", "Compartir en Facebook",
     "Partilhar em Facebook"),
    ("CropCtrl", "Share to google+", "Share to Google+", "Compartir en Google+",
     "Partilhar em Google+"),
    ("CropCtrl", "Share to twitter", "Share to Twitter", "Compartir en Twitter",
     "Partilhar em Twitter"),
    ("CropCtrl", "Stop recording", SAME, "Parar la grabación", "Parar gravação"),
    ("CropCtrl", "Upload video to server", SAME, "Subir video al servidor",
     "Carregar o arquivo de vídeo no servidor"),
    ("HistoryWidget", "History", SAME, "Historia", "História"),
    ("HistoryWidget", "There are no items", SAME, "No hay ítems", "Não existe pontos"),
    ("HistoryWidgetItem", "Copy to clipboard", SAME, "Copiar al portapapeles",
     "Copiar para área de transferência"),
    ("HistoryWidgetItem", "Open link in browser", SAME, "Abrir el enlace en el navegador",
     "Abrir hiperligação em navegador"),
    ("HistoryWidgetItem", "Remove record", SAME, "Borrar la grabación", "Apagar gravação"),
    ("MainWindow", "Close", SAME, "Cerrar", "Fechar"),
    ("MainWindow", "FAQ", SAME, "FAQ", "FAQ"),
    ("MainWindow", "History", SAME, "Historia", "História"),
    ("MainWindow", "Languages", "Interface language", "Idioma de la interfaz",
     "Lingua de interface"),
    ("MainWindow", "Record video", SAME, "Grabación del video", "Gravar vídeo"),
    ("MainWindow", "Service temporarily not working. Please try again later", SAME,
     "Este servicio ahora no está disponible. Vuelve a intentarlo más tarde",
     "Serviço temporariamente indisponível. Por favor, tente mais tarde"),
    ("MainWindow", "Show/hide record button", SAME, "Mostrar/Ocultar el botón de grabación",
     "Mostrar/esconder o botão de gravação"),
    ("MainWindow", "Upload error", SAME, "Error de descarga", "Erro de carregamento"),
    ("MainWindow", "Video link copied to clipboard", SAME,
     "El enlace al video fue copiado al portapapeles",
     "O link de vídeo está copiado em área de transferência"),
    ("ProgressWidget", "Loading, please wait...", SAME, "Cargando, por favor espere...",
     "Descarregamento está em curso, aguarde, por favor..."),
    ("SnapshotButton", "Press to record video", SAME, "Pulse para grabar el video",
     "Pressione para gravar o vídeo"),
    ("SnapshotButton", "Show/hide record button", SAME, "Mostrar/Ocultar el botón de grabación",
     "Mostrar/esconder o botão de gravação"),
]

# (file code, Qt language name, column of TABLE)
CATALOGUES = [("en", "en_US", 2), ("es", "es_ES", 3), ("br", "pt_BR", 4)]


def write(code, language, column):
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<!DOCTYPE TS>",
             '<TS version="2.1" language="%s">' % language]
    contexts = []
    for row in TABLE:
        if row[0] not in contexts:
            contexts.append(row[0])
    for context in contexts:
        lines += ["<context>", "    <name>%s</name>" % context]
        for row in TABLE:
            if row[0] != context:
                continue
            text = row[column] if row[column] is not SAME else row[1]
            lines += ["    <message>", "        <source>%s</source>" % escape(row[1]),
                      "        <translation>%s</translation>" % escape(text), "    </message>"]
        lines.append("</context>")
    lines.append("</TS>")
    with open(os.path.join(LOCALES, code + ".ts"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    os.makedirs(LOCALES, exist_ok=True)
    for code, language, column in CATALOGUES:
        write(code, language, column)
