<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>CommandLine</name>
    <message>
        <source>Open the capture in the running program, starting the program first if it is not running.</source>
        <translation>Abre la captura en el programa en marcha; si no está en marcha, primero lo inicia.</translation>
    </message>
    <message>
        <source>Records an area of the screen to a video and shares the video's link.</source>
        <translation>Graba un área de la pantalla en un video y comparte el enlace al video.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>There is no system tray here: use the record button, or bind a keyboard shortcut to clipnest --capture</source>
        <translation>Aquí no hay bandeja del sistema: usa el botón de grabación o asigna un atajo de teclado a clipnest --capture</translation>
    </message>
    <message>
        <source>This is a Wayland session. Clipnest records the screen through X11, so here it sees only the windows of X11 programs; everything else records as black.</source>
        <translation>Esta es una sesión de Wayland. Clipnest graba la pantalla a través de X11, así que aquí solo ve las ventanas de los programas X11; todo lo demás se graba en negro.</translation>
    </message>
    <message>
        <source>To record the whole screen, log out and choose an X11 (Xorg) session on the login screen.</source>
        <translation>Para grabar toda la pantalla, cierra la sesión y elige una sesión X11 (Xorg) en la pantalla de inicio de sesión.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>FAQ</source>
        <translation>FAQ</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Historia</translation>
    </message>
    <message>
        <source>Languages</source>
        <translation>Idioma de la interfaz</translation>
    </message>
    <message>
        <source>Record video</source>
        <translation>Grabación del video</translation>
    </message>
    <message>
        <source>Show/hide record button</source>
        <translation>Mostrar/Ocultar el botón de grabación</translation>
    </message>
</context>
<context>
    <name>CropCtrl</name>
    <message>
        <source>Can not save file</source>
        <translation>No se puede guardar el archivo</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Borrar</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Grabación</translation>
    </message>
    <message>
        <source>Record with sound</source>
        <translation>Grabación con sonido</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Save video to computer</source>
        <translation>Guardar video en el ordenador</translation>
    </message>
    <message>
        <source>Select the area</source>
        <translation>Selecciona área</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>Compartir</translation>
    </message>
    <message>
        <source>Share to facebook</source>
        <translation>Compartir en Facebook</translation>
    </message>
    <message>
        <source>Share to google+</source>
        <translation>Compartir en Google+</translation>
    </message>
    <message>
        <source>Share to twitter</source>
        <translation>Compartir en Twitter</translation>
    </message>
    <message>
        <source>Stop recording</source>
        <translation>Parar la grabación</translation>
    </message>
    <message>
        <source>Upload video to server</source>
        <translation>Subir video al servidor</translation>
    </message>
</context>
<context>
    <name>Encoder</name>
    <message>
        <source>The file %1 cannot be read as a video: %2.</source>
        <translation>El archivo %1 no se puede leer como video: %2.</translation>
    </message>
    <message>
        <source>The file %1 holds nothing that can be played.</source>
        <translation>El archivo %1 no contiene nada que se pueda reproducir.</translation>
    </message>
    <message>
        <source>The recording %1 cannot be read.</source>
        <translation>No se puede leer la grabación %1.</translation>
    </message>
    <message>
        <source>Out of memory: there is no room for the screen pictures.</source>
        <translation>Memoria agotada: no hay sitio para las imágenes de la pantalla.</translation>
    </message>
    <message>
        <source>Out of memory: a screen picture could not be stored.</source>
        <translation>Memoria agotada: no se pudo guardar una imagen de la pantalla.</translation>
    </message>
    <message>
        <source>Out of memory: a screen picture could not be repeated.</source>
        <translation>Memoria agotada: no se pudo repetir una imagen de la pantalla.</translation>
    </message>
    <message>
        <source>Out of memory: a coded picture could not be kept.</source>
        <translation>Memoria agotada: no se pudo conservar una imagen codificada.</translation>
    </message>
    <message>
        <source>The sound encoder failed while finishing: %1.</source>
        <translation>El codificador de sonido falló al terminar: %1.</translation>
    </message>
</context>
<context>
    <name>HistoryWidget</name>
    <message>
        <source>History</source>
        <translation>Historia</translation>
    </message>
    <message>
        <source>There are no items</source>
        <translation>No hay ítems</translation>
    </message>
</context>
<context>
    <name>HistoryWidgetItem</name>
    <message>
        <source>Copy to clipboard</source>
        <translation>Copiar al portapapeles</translation>
    </message>
    <message>
        <source>Open link in browser</source>
        <translation>Abrir el enlace en el navegador</translation>
    </message>
    <message>
        <source>Remove record</source>
        <translation>Borrar la grabación</translation>
    </message>
</context>
<context>
    <name>HttpUploader</name>
    <message>
        <source>the program's settings</source>
        <translation>los ajustes del programa</translation>
    </message>
    <message>
        <source>The upload service at %1 points to another address: %2. Uploads are not sent on; if that is the right service, put its address in the "Service host" setting in %3.</source>
        <translation>El servicio de subida en %1 remite a otra dirección: %2. Las subidas no se reenvían; si ese es el servicio correcto, pon su dirección en el ajuste "Service host" de %3.</translation>
    </message>
    <message>
        <source>The upload service at %1 points to another address without naming it (status %2). Check the "Service host" setting in %3.</source>
        <translation>El servicio de subida en %1 remite a otra dirección sin decir cuál (estado %2). Revisa el ajuste "Service host" de %3.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered: %2</source>
        <translation>El servicio de subida en %1 respondió: %2</translation>
    </message>
    <message>
        <source>The upload service at %1 has a problem (status %2). Please try again later.</source>
        <translation>El servicio de subida en %1 tiene un problema (estado %2). Vuelve a intentarlo más tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 is busy. Please try again later.</source>
        <translation>El servicio de subida en %1 está ocupado. Vuelve a intentarlo más tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 gave up waiting for the video. Please try again later.</source>
        <translation>El servicio de subida en %1 dejó de esperar el video. Vuelve a intentarlo más tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 wants an access token. Put it in the "Service token" setting in %2.</source>
        <translation>El servicio de subida en %1 pide una clave de acceso. Ponla en el ajuste "Service token" de %2.</translation>
    </message>
    <message>
        <source>The upload service at %1 refused the video (status %2).</source>
        <translation>El servicio de subida en %1 rechazó el video (estado %2).</translation>
    </message>
    <message>
        <source>The upload service at %1 does not answer. Is it running? The address is the "Service host" setting in %2.</source>
        <translation>El servicio de subida en %1 no responde. ¿Está en marcha? La dirección es el ajuste "Service host" de %2.</translation>
    </message>
    <message>
        <source>The host of the upload service at %1 is not known. Check the network connection and the "Service host" setting in %2.</source>
        <translation>No se conoce el servidor del servicio de subida en %1. Revisa la conexión de red y el ajuste "Service host" de %2.</translation>
    </message>
    <message>
        <source>The upload service at %1 closed the connection before it answered. Please try again later.</source>
        <translation>El servicio de subida en %1 cerró la conexión antes de responder. Vuelve a intentarlo más tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 took too long to answer. Please try again later.</source>
        <translation>El servicio de subida en %1 tardó demasiado en responder. Vuelve a intentarlo más tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 cannot be reached. Check the network connection and try again later.</source>
        <translation>No se puede llegar al servicio de subida en %1. Revisa la conexión de red y vuelve a intentarlo más tarde.</translation>
    </message>
    <message>
        <source>The secure connection to the upload service at %1 failed: %2</source>
        <translation>Falló la conexión segura con el servicio de subida en %1: %2</translation>
    </message>
    <message>
        <source>The upload to %1 failed: %2</source>
        <translation>Falló la subida a %1: %2</translation>
    </message>
    <message>
        <source>The upload service at %1 answered without a link.</source>
        <translation>El servicio de subida en %1 respondió sin un enlace.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with something that is not a link.</source>
        <translation>El servicio de subida en %1 respondió con algo que no es un enlace.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link that has spaces or control characters in it; it was not used.</source>
        <translation>El servicio de subida en %1 respondió con un enlace que contiene espacios o caracteres de control; no se ha usado.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link longer than %2 bytes; it was not used.</source>
        <translation>El servicio de subida en %1 respondió con un enlace de más de %2 bytes; no se ha usado.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link without a host name; it was not used.</source>
        <translation>El servicio de subida en %1 respondió con un enlace sin nombre de servidor; no se ha usado.</translation>
    </message>
    <message>
        <source>The upload service at %1 stopped answering for %2 seconds. Please try again later.</source>
        <translation>El servicio de subida en %1 dejó de responder durante %2 segundos. Vuelve a intentarlo más tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 sent an answer too long to be a link.</source>
        <translation>El servicio de subida en %1 envió una respuesta demasiado larga para ser un enlace.</translation>
    </message>
    <message>
        <source>The upload address "%1" is not usable. Check the "Service host" setting.</source>
        <translation>La dirección de subida "%1" no se puede usar. Revisa el ajuste "Service host".</translation>
    </message>
    <message>
        <source>The "Service token" setting in %1 holds characters a token cannot have: only letters, digits and visible punctuation, without spaces.</source>
        <translation>El ajuste "Service token" de %1 contiene caracteres que una clave no puede tener: solo letras, cifras y signos de puntuación visibles, sin espacios.</translation>
    </message>
    <message>
        <source>There is no video to upload.</source>
        <translation>No hay ningún video que subir.</translation>
    </message>
</context>
<context>
    <name>ProgressWidget</name>
    <message>
        <source>Loading, please wait...</source>
        <translation>Cargando, por favor espere...</translation>
    </message>
</context>
<context>
    <name>Recorder</name>
    <message>
        <source>Finishing the recording %1 failed. The file was kept as it was recorded.</source>
        <translation>No se pudo terminar la grabación %1. El archivo se conservó tal como se grabó.</translation>
    </message>
    <message>
        <source>The recording %1 is still being finished; record into another file.</source>
        <translation>La grabación %1 todavía se está terminando; graba en otro archivo.</translation>
    </message>
</context>
<context>
    <name>RecordingSaver</name>
    <message>
        <source>%1 is the recording itself.</source>
        <translation>%1 es la propia grabación.</translation>
    </message>
    <message>
        <source>Can not read the recording %1: %2</source>
        <translation>No se puede leer la grabación %1: %2</translation>
    </message>
    <message>
        <source>Can not save the recording to %1: %2</source>
        <translation>No se puede guardar la grabación en %1: %2</translation>
    </message>
    <message>
        <source>Saving to %1 was cancelled.</source>
        <translation>Se canceló el guardado en %1.</translation>
    </message>
    <message>
        <source>The recording %1 is not there any more.</source>
        <translation>La grabación %1 ya no existe.</translation>
    </message>
</context>
<context>
    <name>RecordingStore</name>
    <message>
        <source>%1 is not one of the recordings in %2.</source>
        <translation>%1 no es una de las grabaciones de %2.</translation>
    </message>
    <message>
        <source>Can not create the folder for recordings %1: %2</source>
        <translation>No se puede crear la carpeta de grabaciones %1: %2</translation>
    </message>
    <message>
        <source>Can not create the recording file %1: %2</source>
        <translation>No se puede crear el archivo de grabación %1: %2</translation>
    </message>
    <message>
        <source>Can not delete the recording %1: %2</source>
        <translation>No se puede borrar la grabación %1: %2</translation>
    </message>
    <message>
        <source>Can not find a free name for a new recording in %1.</source>
        <translation>No se encuentra un nombre libre para una nueva grabación en %1.</translation>
    </message>
    <message>
        <source>Can not remove %1, which is in the way of the recording: %2</source>
        <translation>No se puede quitar %1, que impide la grabación: %2</translation>
    </message>
    <message>
        <source>Can not use the folder for recordings %1: %2</source>
        <translation>No se puede usar la carpeta de grabaciones %1: %2</translation>
    </message>
    <message>
        <source>Only %1 is free for recordings in %2. A long recording may not fit.</source>
        <translation>Solo quedan %1 libres para grabaciones en %2. Una grabación larga puede no caber.</translation>
    </message>
    <message>
        <source>Only %1 is free for recordings in %2. Free some space there and try again.</source>
        <translation>Solo quedan %1 libres para grabaciones en %2. Libera espacio allí y vuelve a intentarlo.</translation>
    </message>
    <message>
        <source>The folder for recordings %1 is not a private folder of yours. Remove it and try again.</source>
        <translation>La carpeta de grabaciones %1 no es una carpeta privada tuya. Bórrala y vuelve a intentarlo.</translation>
    </message>
    <message>
        <source>What became of each recording could not be written to %1: %2</source>
        <translation>No se pudo escribir el estado de las grabaciones en %1: %2</translation>
    </message>
</context>
<context>
    <name>UploadQueue</name>
    <message>
        <source>Can not read the recording %1: %2</source>
        <translation>No se puede leer la grabación %1: %2</translation>
    </message>
    <message>
        <source>The pending uploads could not be read from %1: %2</source>
        <translation>No se pudieron leer las subidas pendientes de %1: %2</translation>
    </message>
    <message>
        <source>The pending uploads could not be written to %1: %2</source>
        <translation>No se pudieron escribir las subidas pendientes en %1: %2</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>el archivo está vacío</translation>
    </message>
</context>
<context>
    <name>RecordingSession</name>
    <message>
        <source>A recording is already under way. Stop it before starting another one.</source>
        <translation>Ya hay una grabación en curso. Detenla antes de empezar otra.</translation>
    </message>
    <message>
        <source>Audio capture error</source>
        <translation>Error de captura de audio</translation>
    </message>
    <message>
        <source>Encoder error</source>
        <translation>Error del codificador</translation>
    </message>
</context>
<context>
    <name>SnapshotButton</name>
    <message>
        <source>Press to record video</source>
        <translation>Pulse para grabar el video</translation>
    </message>
    <message>
        <source>Show/hide record button</source>
        <translation>Mostrar/Ocultar el botón de grabación</translation>
    </message>
</context>
<context>
    <name>UploadController</name>
    <message>
        <source>Service temporarily not working. Please try again later</source>
        <translation>Este servicio ahora no está disponible. Vuelve a intentarlo más tarde</translation>
    </message>
    <message>
        <source>The upload service address "%1" is not usable. Put a host name (host:port) or an http:// or https:// address under "%2" in %3.</source>
        <translation>La dirección del servicio de subida "%1" no se puede usar. Escribe un nombre de host (host:puerto) o una dirección http:// o https:// en "%2" dentro de %3.</translation>
    </message>
    <message>
        <source>Upload error</source>
        <translation>Error de descarga</translation>
    </message>
    <message>
        <source>Video link copied to clipboard</source>
        <translation>El enlace al video fue copiado al portapapeles</translation>
    </message>
</context>
</TS>
