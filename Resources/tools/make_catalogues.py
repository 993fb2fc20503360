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
    ("CommandLine",
     "Open the capture in the running program, starting the program first if it is not "
     "running.", SAME,
     "Abre la captura en el programa en marcha; si no está en marcha, primero lo inicia.",
     "Abre a captura no programa em execução; se ele não estiver em execução, inicia-o "
     "primeiro."),
    ("CommandLine", "Records an area of the screen to a video and shares the video's link.",
     SAME, "Graba un área de la pantalla en un video y comparte el enlace al video.",
     "Grava uma área da tela em um vídeo e compartilha o link do vídeo."),
    ("MainWindow",
     "There is no system tray here: use the record button, or bind a keyboard shortcut to "
     "clipnest --capture", SAME,
     "Aquí no hay bandeja del sistema: usa el botón de grabación o asigna un atajo de teclado "
     "a clipnest --capture",
     "Não há bandeja do sistema aqui: use o botão de gravação ou associe um atalho de teclado "
     "a clipnest --capture"),
    ("MainWindow",
     "This is a Wayland session. Clipnest records the screen through X11, so here it sees only "
     "the windows of X11 programs; everything else records as black.", SAME,
     "Esta es una sesión de Wayland. Clipnest graba la pantalla a través de X11, así que aquí "
     "solo ve las ventanas de los programas X11; todo lo demás se graba en negro.",
     "Esta é uma sessão Wayland. O Clipnest grava a tela por meio do X11, então aqui ele só vê "
     "as janelas dos programas X11; todo o resto é gravado em preto."),
    ("MainWindow",
     "To record the whole screen, log out and choose an X11 (Xorg) session on the login "
     "screen.", SAME,
     "Para grabar toda la pantalla, cierra la sesión y elige una sesión X11 (Xorg) en la "
     "pantalla de inicio de sesión.",
     "Para gravar a tela inteira, encerre a sessão e escolha uma sessão X11 (Xorg) na tela "
     "de login."),
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
    ("Encoder", "The file %1 cannot be read as a video: %2.", SAME,
     "El archivo %1 no se puede leer como video: %2.",
     "O arquivo %1 não pode ser lido como vídeo: %2."),
    ("Encoder", "The file %1 holds nothing that can be played.", SAME,
     "El archivo %1 no contiene nada que se pueda reproducir.",
     "O arquivo %1 não contém nada que possa ser reproduzido."),
    ("Encoder", "The recording %1 cannot be read.", SAME, "No se puede leer la grabación %1.",
     "Não é possível ler a gravação %1."),
    ("Encoder", "Out of memory: there is no room for the screen pictures.", SAME,
     "Memoria agotada: no hay sitio para las imágenes de la pantalla.",
     "Memória esgotada: não há espaço para as imagens da tela."),
    ("Encoder", "Out of memory: a screen picture could not be stored.", SAME,
     "Memoria agotada: no se pudo guardar una imagen de la pantalla.",
     "Memória esgotada: não foi possível guardar uma imagem da tela."),
    ("Encoder", "Out of memory: a screen picture could not be repeated.", SAME,
     "Memoria agotada: no se pudo repetir una imagen de la pantalla.",
     "Memória esgotada: não foi possível repetir uma imagem da tela."),
    ("Encoder", "Out of memory: a coded picture could not be kept.", SAME,
     "Memoria agotada: no se pudo conservar una imagen codificada.",
     "Memória esgotada: não foi possível manter uma imagem codificada."),
    ("Encoder", "The sound encoder failed while finishing: %1.", SAME,
     "El codificador de sonido falló al terminar: %1.",
     "O codificador de som falhou ao terminar: %1."),
    ("HistoryWidget", "History", SAME, "Historia", "História"),
    ("HistoryWidget", "There are no items", SAME, "No hay ítems", "Não existe pontos"),
    ("HistoryWidgetItem", "Copy to clipboard", SAME, "Copiar al portapapeles",
     "Copiar para área de transferência"),
    ("HistoryWidgetItem", "Open link in browser", SAME, "Abrir el enlace en el navegador",
     "Abrir hiperligação em navegador"),
    ("HistoryWidgetItem", "Remove record", SAME, "Borrar la grabación", "Apagar gravação"),
    ("HttpUploader", "the program's settings", SAME, "los ajustes del programa",
     "as configurações do programa"),
    ("HttpUploader", "The upload service at %1 points to another address: %2. Uploads are not sent on; if that is the right service, put its address in the \"Service host\" setting in %3.", SAME,
     "El servicio de subida en %1 remite a otra dirección: %2. Las subidas no se reenvían; si ese es el servicio correcto, pon su dirección en el ajuste \"Service host\" de %3.",
     "O serviço de envio em %1 aponta para outro endereço: %2. Os envios não são repassados; se esse for o serviço certo, coloque o endereço dele na configuração \"Service host\" em %3."),
    ("HttpUploader", "The upload service at %1 points to another address without naming it (status %2). Check the \"Service host\" setting in %3.", SAME,
     "El servicio de subida en %1 remite a otra dirección sin decir cuál (estado %2). Revisa el ajuste \"Service host\" de %3.",
     "O serviço de envio em %1 aponta para outro endereço sem dizer qual (status %2). Verifique a configuração \"Service host\" em %3."),
    ("HttpUploader", "The upload service at %1 answered: %2", SAME,
     "El servicio de subida en %1 respondió: %2",
     "O serviço de envio em %1 respondeu: %2"),
    ("HttpUploader", "The upload service at %1 has a problem (status %2). Please try again later.", SAME,
     "El servicio de subida en %1 tiene un problema (estado %2). Vuelve a intentarlo más tarde.",
     "O serviço de envio em %1 está com um problema (status %2). Tente novamente mais tarde."),
    ("HttpUploader", "The upload service at %1 is busy. Please try again later.", SAME,
     "El servicio de subida en %1 está ocupado. Vuelve a intentarlo más tarde.",
     "O serviço de envio em %1 está ocupado. Tente novamente mais tarde."),
    ("HttpUploader", "The upload service at %1 gave up waiting for the video. Please try again later.", SAME,
     "El servicio de subida en %1 dejó de esperar el video. Vuelve a intentarlo más tarde.",
     "O serviço de envio em %1 desistiu de esperar pelo vídeo. Tente novamente mais tarde."),
    ("HttpUploader", "The upload service at %1 wants an access token. Put it in the \"Service token\" setting in %2.", SAME,
     "El servicio de subida en %1 pide una clave de acceso. Ponla en el ajuste \"Service token\" de %2.",
     "O serviço de envio em %1 exige um token de acesso. Coloque-o na configuração \"Service token\" em %2."),
    ("HttpUploader", "The upload service at %1 refused the video (status %2).", SAME,
     "El servicio de subida en %1 rechazó el video (estado %2).",
     "O serviço de envio em %1 recusou o vídeo (status %2)."),
    ("HttpUploader", "The upload service at %1 does not answer. Is it running? The address is the \"Service host\" setting in %2.", SAME,
     "El servicio de subida en %1 no responde. ¿Está en marcha? La dirección es el ajuste \"Service host\" de %2.",
     "O serviço de envio em %1 não responde. Ele está em execução? O endereço é a configuração \"Service host\" em %2."),
    ("HttpUploader", "The host of the upload service at %1 is not known. Check the network connection and the \"Service host\" setting in %2.", SAME,
     "No se conoce el servidor del servicio de subida en %1. Revisa la conexión de red y el ajuste \"Service host\" de %2.",
     "O servidor do serviço de envio em %1 não é conhecido. Verifique a conexão de rede e a configuração \"Service host\" em %2."),
    ("HttpUploader", "The upload service at %1 closed the connection before it answered. Please try again later.", SAME,
     "El servicio de subida en %1 cerró la conexión antes de responder. Vuelve a intentarlo más tarde.",
     "O serviço de envio em %1 fechou a conexão antes de responder. Tente novamente mais tarde."),
    ("HttpUploader", "The upload service at %1 took too long to answer. Please try again later.", SAME,
     "El servicio de subida en %1 tardó demasiado en responder. Vuelve a intentarlo más tarde.",
     "O serviço de envio em %1 demorou demais para responder. Tente novamente mais tarde."),
    ("HttpUploader", "The upload service at %1 cannot be reached. Check the network connection and try again later.", SAME,
     "No se puede llegar al servicio de subida en %1. Revisa la conexión de red y vuelve a intentarlo más tarde.",
     "Não é possível alcançar o serviço de envio em %1. Verifique a conexão de rede e tente novamente mais tarde."),
    ("HttpUploader", "The secure connection to the upload service at %1 failed: %2", SAME,
     "Falló la conexión segura con el servicio de subida en %1: %2",
     "A conexão segura com o serviço de envio em %1 falhou: %2"),
    ("HttpUploader", "The upload to %1 failed: %2", SAME,
     "Falló la subida a %1: %2",
     "O envio para %1 falhou: %2"),
    ("HttpUploader", "The upload service at %1 answered without a link.", SAME,
     "El servicio de subida en %1 respondió sin un enlace.",
     "O serviço de envio em %1 respondeu sem um link."),
    ("HttpUploader", "The upload service at %1 answered with something that is not a link.", SAME,
     "El servicio de subida en %1 respondió con algo que no es un enlace.",
     "O serviço de envio em %1 respondeu com algo que não é um link."),
    ("HttpUploader", "The upload service at %1 answered with a link that has spaces or control characters in it; it was not used.", SAME,
     "El servicio de subida en %1 respondió con un enlace que contiene espacios o caracteres de control; no se ha usado.",
     "O serviço de envio em %1 respondeu com um link que contém espaços ou caracteres de controle; ele não foi usado."),
    ("HttpUploader", "The upload service at %1 answered with a link longer than %2 bytes; it was not used.", SAME,
     "El servicio de subida en %1 respondió con un enlace de más de %2 bytes; no se ha usado.",
     "O serviço de envio em %1 respondeu com um link de mais de %2 bytes; ele não foi usado."),
    ("HttpUploader", "The upload service at %1 answered with a link without a host name; it was not used.", SAME,
     "El servicio de subida en %1 respondió con un enlace sin nombre de servidor; no se ha usado.",
     "O serviço de envio em %1 respondeu com um link sem nome de servidor; ele não foi usado."),
    ("HttpUploader", "The upload service at %1 stopped answering for %2 seconds. Please try again later.", SAME,
     "El servicio de subida en %1 dejó de responder durante %2 segundos. Vuelve a intentarlo más tarde.",
     "O serviço de envio em %1 parou de responder por %2 segundos. Tente novamente mais tarde."),
    ("HttpUploader", "The upload service at %1 sent an answer too long to be a link.", SAME,
     "El servicio de subida en %1 envió una respuesta demasiado larga para ser un enlace.",
     "O serviço de envio em %1 enviou uma resposta longa demais para ser um link."),
    ("HttpUploader", "The upload address \"%1\" is not usable. Check the \"Service host\" setting.", SAME,
     "La dirección de subida \"%1\" no se puede usar. Revisa el ajuste \"Service host\".",
     "O endereço de envio \"%1\" não pode ser usado. Verifique a configuração \"Service host\"."),
    ("HttpUploader", "The \"Service token\" setting in %1 holds characters a token cannot have: only letters, digits and visible punctuation, without spaces.", SAME,
     "El ajuste \"Service token\" de %1 contiene caracteres que una clave no puede tener: solo letras, cifras y signos de puntuación visibles, sin espacios.",
     "A configuração \"Service token\" em %1 contém caracteres que um token não pode ter: apenas letras, dígitos e pontuação visível, sem espaços."),
    ("HttpUploader", "There is no video to upload.", SAME,
     "No hay ningún video que subir.",
     "Não há nenhum vídeo para enviar."),
    ("MainWindow", "Close", SAME, "Cerrar", "Fechar"),
    ("MainWindow", "FAQ", SAME, "FAQ", "FAQ"),
    ("MainWindow", "History", SAME, "Historia", "História"),
    ("MainWindow", "Languages", "Interface language", "Idioma de la interfaz",
     "Lingua de interface"),
    ("MainWindow", "Record video", SAME, "Grabación del video", "Gravar vídeo"),
    ("MainWindow", "Show/hide record button", SAME, "Mostrar/Ocultar el botón de grabación",
     "Mostrar/esconder o botão de gravação"),
    ("ProgressWidget", "Loading, please wait...", SAME, "Cargando, por favor espere...",
     "Descarregamento está em curso, aguarde, por favor..."),
    ("Recorder", "Finishing the recording %1 failed. The file was kept as it was recorded.",
     SAME, "No se pudo terminar la grabación %1. El archivo se conservó tal como se grabó.",
     "Não foi possível finalizar a gravação %1. O arquivo foi mantido como foi gravado."),
    ("Recorder", "The recording %1 is still being finished; record into another file.", SAME,
     "La grabación %1 todavía se está terminando; graba en otro archivo.",
     "A gravação %1 ainda está sendo finalizada; grave em outro arquivo."),
    ("RecordingSaver", "%1 is the recording itself.", SAME, "%1 es la propia grabación.",
     "%1 é a própria gravação."),
    ("RecordingSaver", "Can not read the recording %1: %2", SAME,
     "No se puede leer la grabación %1: %2", "Não é possível ler a gravação %1: %2"),
    ("RecordingSaver", "Can not save the recording to %1: %2", SAME,
     "No se puede guardar la grabación en %1: %2",
     "Não é possível salvar a gravação em %1: %2"),
    ("RecordingSaver", "Saving to %1 was cancelled.", SAME, "Se canceló el guardado en %1.",
     "O salvamento em %1 foi cancelado."),
    ("RecordingSaver", "The recording %1 is not there any more.", SAME,
     "La grabación %1 ya no existe.", "A gravação %1 não existe mais."),
    ("RecordingStore", "%1 is not one of the recordings in %2.", SAME,
     "%1 no es una de las grabaciones de %2.", "%1 não é uma das gravações de %2."),
    ("RecordingStore", "Can not create the folder for recordings %1: %2", SAME,
     "No se puede crear la carpeta de grabaciones %1: %2",
     "Não é possível criar a pasta de gravações %1: %2"),
    ("RecordingStore", "Can not create the recording file %1: %2", SAME,
     "No se puede crear el archivo de grabación %1: %2",
     "Não é possível criar o arquivo de gravação %1: %2"),
    ("RecordingStore", "Can not delete the recording %1: %2", SAME,
     "No se puede borrar la grabación %1: %2", "Não é possível apagar a gravação %1: %2"),
    ("RecordingStore", "Can not find a free name for a new recording in %1.", SAME,
     "No se encuentra un nombre libre para una nueva grabación en %1.",
     "Não foi encontrado um nome livre para uma nova gravação em %1."),
    ("RecordingStore", "Can not remove %1, which is in the way of the recording: %2", SAME,
     "No se puede quitar %1, que impide la grabación: %2",
     "Não é possível remover %1, que impede a gravação: %2"),
    ("RecordingStore", "Can not use the folder for recordings %1: %2", SAME,
     "No se puede usar la carpeta de grabaciones %1: %2",
     "Não é possível usar a pasta de gravações %1: %2"),
    ("RecordingStore",
     "Only %1 is free for recordings in %2. A long recording may not fit.", SAME,
     "Solo quedan %1 libres para grabaciones en %2. Una grabación larga puede no caber.",
     "Restam apenas %1 livres para gravações em %2. Uma gravação longa pode não caber."),
    ("RecordingStore",
     "Only %1 is free for recordings in %2. Free some space there and try again.", SAME,
     "Solo quedan %1 libres para grabaciones en %2. Libera espacio allí y vuelve a intentarlo.",
     "Restam apenas %1 livres para gravações em %2. Libere espaço ali e tente novamente."),
    ("RecordingStore",
     "The folder for recordings %1 is not a private folder of yours. Remove it and try again.",
     SAME,
     "La carpeta de grabaciones %1 no es una carpeta privada tuya. Bórrala y vuelve a "
     "intentarlo.",
     "A pasta de gravações %1 não é uma pasta privada sua. Remova-a e tente novamente."),
    ("RecordingStore", "What became of each recording could not be written to %1: %2", SAME,
     "No se pudo escribir el estado de las grabaciones en %1: %2",
     "Não foi possível gravar o estado das gravações em %1: %2"),
    ("UploadQueue", "Can not read the recording %1: %2", SAME,
     "No se puede leer la grabación %1: %2", "Não é possível ler a gravação %1: %2"),
    ("UploadQueue", "The pending uploads could not be read from %1: %2", SAME,
     "No se pudieron leer las subidas pendientes de %1: %2",
     "Não foi possível ler os envios pendentes de %1: %2"),
    ("UploadQueue", "The pending uploads could not be written to %1: %2", SAME,
     "No se pudieron escribir las subidas pendientes en %1: %2",
     "Não foi possível gravar os envios pendentes em %1: %2"),
    ("UploadQueue", "the file is empty", SAME, "el archivo está vacío", "o arquivo está vazio"),
    ("RecordingSession", "A recording is already under way. Stop it before starting another one.",
     SAME, "Ya hay una grabación en curso. Detenla antes de empezar otra.",
     "Já há uma gravação em andamento. Pare-a antes de começar outra."),
    ("RecordingSession", "Audio capture error", SAME, "Error de captura de audio",
     "Erro de captura de áudio"),
    ("RecordingSession", "Encoder error", SAME, "Error del codificador", "Erro do codificador"),
    ("SnapshotButton", "Press to record video", SAME, "Pulse para grabar el video",
     "Pressione para gravar o vídeo"),
    ("SnapshotButton", "Show/hide record button", SAME, "Mostrar/Ocultar el botón de grabación",
     "Mostrar/esconder o botão de gravação"),
    ("UploadController", "Service temporarily not working. Please try again later", SAME,
     "Este servicio ahora no está disponible. Vuelve a intentarlo más tarde",
     "Serviço temporariamente indisponível. Por favor, tente mais tarde"),
    ("UploadController",
     "The upload service address \"%1\" is not usable. Put a host name (host:port) or an "
     "http:// or https:// address under \"%2\" in %3.", SAME,
     "La dirección del servicio de subida \"%1\" no se puede usar. Escribe un nombre de host "
     "(host:puerto) o una dirección http:// o https:// en \"%2\" dentro de %3.",
     "O endereço do serviço de envio \"%1\" não pode ser usado. Coloque um nome de host "
     "(host:porta) ou um endereço http:// ou https:// em \"%2\" no arquivo %3."),
    ("UploadController", "Upload error", SAME, "Error de descarga", "Erro de carregamento"),
    ("UploadController", "Video link copied to clipboard", SAME,
     "El enlace al video fue copiado al portapapeles",
     "O link de vídeo está copiado em área de transferência"),
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
