<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>CommandLine</name>
    <message>
        <source>Run as a program of this kind of desktop session, x11 or wayland, instead of the one the session says it is.</source>
        <translation>Ejecutar como programa de este tipo de sesión de escritorio, x11 o wayland, en lugar del que indica la sesión.</translation>
    </message>
    <message>
        <source>--session takes x11 or wayland, not '%1'.</source>
        <translation>--session admite x11 o wayland, no '%1'.</translation>
    </message>
    <message>
        <source>Stop the recording of the running program.</source>
        <translation>Detiene la grabación del programa en ejecución.</translation>
    </message>
    <message>
        <source>--capture and --stop cannot go together.</source>
        <translation>--capture y --stop no pueden ir juntos.</translation>
    </message>
    <message>
        <source>Open the capture in the running program, starting the program first if it is not running.</source>
        <translation>Abre la captura en el programa en ejecución; si no se está ejecutando, primero lo inicia.</translation>
    </message>
    <message>
        <source>Records an area of the screen to a video and shares the video's link.</source>
        <translation>Graba un área de la pantalla en un video y comparte el enlace al video.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Settings...</source>
        <translation>Configuración...</translation>
    </message>
    <message>
        <source>One recording has not been saved or uploaded. Quit anyway? It will be offered again at the next start.</source>
        <translation>Una grabación no se ha guardado ni subido. ¿Salir de todos modos? Se ofrecerá de nuevo la próxima vez que se abra el programa.</translation>
    </message>
    <message>
        <source>%1 recordings have not been saved or uploaded. Quit anyway? They will be offered again at the next start.</source>
        <translation>%1 grabaciones no se han guardado ni subido. ¿Salir de todos modos? Se ofrecerán de nuevo la próxima vez que se abra el programa.</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Salir</translation>
    </message>
    <message>
        <source>No program could open the folder %1.</source>
        <translation>Ningún programa pudo abrir la carpeta %1.</translation>
    </message>
    <message>
        <source>On this desktop the record button cannot stay at the edge of the screen, so it is not shown. Open the capture from the tray icon, or bind clipnest --capture in the desktop's keyboard settings.</source>
        <translation>En este escritorio el botón de grabar no puede quedarse en el borde de la pantalla, así que no se muestra. Abre la captura desde el ícono de la bandeja o asigna clipnest --capture en la configuración de teclado del escritorio.</translation>
    </message>
    <message>
        <source>There is no system tray here. Bind clipnest --capture in the desktop's keyboard settings to open the capture.</source>
        <translation>Aquí no hay bandeja del sistema. Asigna clipnest --capture en la configuración de teclado del escritorio para abrir la captura.</translation>
    </message>
    <message>
        <source>A recording is under way. Stop it from the tray icon before starting another one.</source>
        <translation>Hay una grabación en curso. Detenla desde el ícono de la bandeja antes de empezar otra.</translation>
    </message>
    <message>
        <source>There is no system tray here: use the record button, or bind a keyboard shortcut to clipnest --capture</source>
        <translation>Aquí no hay bandeja del sistema: usa el botón de grabar o asigna un atajo de teclado a clipnest --capture</translation>
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
        <source>A recording is under way. Stop it with its Stop recording button before starting another one.</source>
        <translation>Hay una grabación en curso. Detenla con su botón Detener la grabación antes de empezar otra.</translation>
    </message>
    <message>
        <source>Delete recording</source>
        <translation>Eliminar la grabación</translation>
    </message>
    <message>
        <source>Delete this recording for good? It has not been uploaded or saved anywhere else.</source>
        <translation>¿Eliminar esta grabación definitivamente? No se ha subido ni guardado en ningún otro lugar.</translation>
    </message>
    <message>
        <source>A recording cut short when Clipnest last ended was recovered: find it in the history.</source>
        <translation>Se recuperó una grabación que quedó interrumpida la última vez que se cerró Clipnest: la encontrarás en el historial.</translation>
    </message>
    <message>
        <source>%1 recordings cut short when Clipnest last ended were recovered: find them in the history.</source>
        <translation>Se recuperaron %1 grabaciones que quedaron interrumpidas la última vez que se cerró Clipnest: las encontrarás en el historial.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>FAQ</source>
        <translation>Preguntas frecuentes</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Historial</translation>
    </message>
    <message>
        <source>Languages</source>
        <translation>Idioma de la interfaz</translation>
    </message>
    <message>
        <source>Record video</source>
        <translation>Grabar video</translation>
    </message>
    <message>
        <source>Show/hide record button</source>
        <translation>Mostrar u ocultar el botón de grabar</translation>
    </message>
</context>
<context>
    <name>CountdownMenu</name>
    <message>
        <source>Countdown</source>
        <translation>Cuenta regresiva</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Desactivada</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
</context>
<context>
    <name>KeyboardShortcuts</name>
    <message>
        <source>This desktop gives programs no key combinations of their own. Set %1 in the desktop's keyboard settings to run "%2".</source>
        <translation>Este escritorio no permite que los programas tengan sus propias combinaciones de teclas. Asigna %1 en la configuración de teclado del escritorio para ejecutar "%2".</translation>
    </message>
    <message>
        <source>Keyboard shortcuts...</source>
        <translation>Atajos de teclado...</translation>
    </message>
    <message>
        <source>Another program already uses %1.</source>
        <translation>Otro programa ya usa %1.</translation>
    </message>
    <message>
        <source>This keyboard has no key for %1.</source>
        <translation>Este teclado no tiene ninguna tecla para %1.</translation>
    </message>
    <message>
        <source>Key combinations need an X11 display.</source>
        <translation>Las combinaciones de teclas necesitan una pantalla X11.</translation>
    </message>
    <message>
        <source>No key combination starts a capture now.</source>
        <translation>Ahora ninguna combinación de teclas inicia una captura.</translation>
    </message>
    <message>
        <source>A capture still starts with %1.</source>
        <translation>La captura se sigue iniciando con %1.</translation>
    </message>
    <message>
        <source>No key combination stops the recording now.</source>
        <translation>Ahora ninguna combinación de teclas detiene la grabación.</translation>
    </message>
    <message>
        <source>The recording still stops with %1.</source>
        <translation>La grabación se sigue deteniendo con %1.</translation>
    </message>
</context>
<context>
    <name>ShortcutEdit</name>
    <message>
        <source>%1 would be taken from every program: add Ctrl, Alt or Super.</source>
        <translation>Se le quitaría %1 a todos los programas: agrega Ctrl, Alt o Super.</translation>
    </message>
    <message>
        <source>This key cannot be a shortcut.</source>
        <translation>Esta tecla no puede ser un atajo.</translation>
    </message>
</context>
<context>
    <name>ShortcutDialog</name>
    <message>
        <source>%1 is taken by another program (the window manager?). Choose another combination.</source>
        <translation>Otro programa ya ocupa %1 (¿el gestor de ventanas?). Elige otra combinación.</translation>
    </message>
    <message>
        <source>Use %1</source>
        <translation>Usar %1</translation>
    </message>
    <message>
        <source>This desktop keeps key combinations for itself. Bind them in the desktop's keyboard settings to the commands clipnest --capture and clipnest --stop.</source>
        <translation>Este escritorio se reserva las combinaciones de teclas. Asígnalas en la configuración de teclado del escritorio a los comandos clipnest --capture y clipnest --stop.</translation>
    </message>
    <message>
        <source>%1 is already the other shortcut.</source>
        <translation>%1 ya es el otro atajo.</translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Atajos de teclado</translation>
    </message>
    <message>
        <source>Start a capture:</source>
        <translation>Iniciar una captura:</translation>
    </message>
    <message>
        <source>Stop the recording:</source>
        <translation>Detener la grabación:</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Ninguno</translation>
    </message>
    <message>
        <source>Click a field and press the new key combination. Backspace leaves none.</source>
        <translation>Haz clic en un campo y presiona la nueva combinación de teclas. Retroceso la deja vacía.</translation>
    </message>
    <message>
        <source>Some desktops keep key combinations for themselves. There, bind one in the desktop's keyboard settings to the command: clipnest --capture</source>
        <translation>Algunos escritorios se reservan ciertas combinaciones de teclas. En ellos, asigna una en la configuración de teclado del escritorio al comando: clipnest --capture</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
<context>
    <name>CropCtrl</name>
    <message>
        <source>Share to Reddit</source>
        <translation>Compartir en Reddit</translation>
    </message>
    <message>
        <source>Whole screen</source>
        <translation>Pantalla completa</translation>
    </message>
    <message>
        <source>Use the last area</source>
        <translation>Usar la última área</translation>
    </message>
    <message>
        <source>Enter to use the last area</source>
        <translation>Enter para usar la última área</translation>
    </message>
    <message>
        <source>Click to type an exact size and position, such as 1280x720 at 100,200</source>
        <translation>Haz clic para escribir un tamaño y una posición exactos, como 1280x720 at 100,200</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>En pausa</translation>
    </message>
    <message>
        <source>Screen sharing</source>
        <translation>Compartir pantalla</translation>
    </message>
    <message>
        <source>This desktop records one monitor at a time. Select an area that lies on one monitor.</source>
        <translation>Este escritorio graba un monitor a la vez. Selecciona un área que esté en un solo monitor.</translation>
    </message>
    <message>
        <source>Recording finished</source>
        <translation>Grabación terminada</translation>
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
        <translation>Grabar</translation>
    </message>
    <message>
        <source>Record with sound</source>
        <translation>Grabar con sonido</translation>
    </message>
    <message>
        <source>Save video to computer</source>
        <translation>Guardar el video en la computadora</translation>
    </message>
    <message>
        <source>Select the area</source>
        <translation>Selecciona el área</translation>
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
        <translation>Detener la grabación</translation>
    </message>
    <message>
        <source>Finishing the video…</source>
        <translation>Terminando el video…</translation>
    </message>
    <message>
        <source>Upload video to server</source>
        <translation>Subir el video al servidor</translation>
    </message>
    <message>
        <source>Can not create the folder for the recording %1: %2</source>
        <translation>No se puede crear la carpeta de la grabación %1: %2</translation>
    </message>
    <message>
        <source>Can not use the folder for the recording %1: %2</source>
        <translation>No se puede usar la carpeta de la grabación %1: %2</translation>
    </message>
    <message>
        <source>The folder for the recording %1 is not a private folder of yours. Remove it and try again.</source>
        <translation>La carpeta de la grabación %1 no es una carpeta privada tuya. Bórrala y vuelve a intentarlo.</translation>
    </message>
    <message>
        <source>Can not remove %1, which is in the way of the recording: %2</source>
        <translation>No se puede borrar %1, que impide crear la grabación: %2</translation>
    </message>
    <message>
        <source>Pause recording</source>
        <translation>Pausar la grabación</translation>
    </message>
    <message>
        <source>Resume recording</source>
        <translation>Reanudar la grabación</translation>
    </message>
    <message>
        <source>Can not open file</source>
        <translation>No se puede abrir el archivo</translation>
    </message>
    <message>
        <source>Share error</source>
        <translation>Error al compartir</translation>
    </message>
    <message>
        <source>Upload error</source>
        <translation>Error al subir</translation>
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
        <translation>Memoria agotada: no hay espacio para las imágenes de la pantalla.</translation>
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
    <message>
        <source>Cannot convert the screen pictures for the encoder.</source>
        <translation>No se pueden convertir las imágenes de la pantalla para el codificador.</translation>
    </message>
    <message>
        <source>Out of memory.</source>
        <translation>Memoria agotada.</translation>
    </message>
    <message>
        <source>Cannot read back the recording %1: %2.</source>
        <translation>No se puede volver a leer la grabación %1: %2.</translation>
    </message>
    <message>
        <source>The MP4 writer is not available.</source>
        <translation>El módulo de escritura de MP4 no está disponible.</translation>
    </message>
    <message>
        <source>Cannot copy the streams of %1.</source>
        <translation>No se pueden copiar las pistas de %1.</translation>
    </message>
    <message>
        <source>The disk is full (%1): the recording %2 was kept as it was recorded, which most players play but browsers may not seek.</source>
        <translation>El disco está lleno (%1): la grabación %2 se guardó tal como se grabó; la mayoría de los reproductores la reproducen, pero los navegadores quizá no puedan saltar dentro de ella.</translation>
    </message>
    <message>
        <source>Finishing the recording %1 failed: %2. The file was kept as it was recorded.</source>
        <translation>No se pudo terminar la grabación %1: %2. El archivo se guardó tal como se grabó.</translation>
    </message>
    <message>
        <source>Cannot replace %1 with the finished recording: %2.</source>
        <translation>No se puede sustituir %1 por la grabación terminada: %2.</translation>
    </message>
    <message>
        <source>The disk is full (%1): the recording stopped. The file %2 keeps what was recorded so far; free some space before recording again.</source>
        <translation>El disco está lleno (%1): la grabación se detuvo. El archivo %2 conserva lo grabado hasta ahora; libera espacio antes de volver a grabar.</translation>
    </message>
    <message>
        <source>Writing the video file %1 failed: %2. The recording stopped.</source>
        <translation>No se pudo escribir el archivo de video %1: %2. La grabación se detuvo.</translation>
    </message>
    <message>
        <source>Cannot create the video file %1: %2. Check that the folder %3 exists and that you may write to it.</source>
        <translation>No se puede crear el archivo de video %1: %2. Comprueba que la carpeta %3 existe y que puedes escribir en ella.</translation>
    </message>
    <message>
        <source>Cannot start the MP4 file: %1.</source>
        <translation>No se puede iniciar el archivo MP4: %1.</translation>
    </message>
    <message>
        <source>The H.264 encoder (libx264) is not available.</source>
        <translation>El codificador H.264 (libx264) no está disponible.</translation>
    </message>
    <message>
        <source>The H.264 encoder refused the settings: %1.</source>
        <translation>El codificador H.264 rechazó la configuración: %1.</translation>
    </message>
    <message>
        <source>Cannot add the picture to the MP4 file.</source>
        <translation>No se puede agregar la imagen al archivo MP4.</translation>
    </message>
    <message>
        <source>The sound encoder (%1) is not available.</source>
        <translation>El codificador de sonido (%1) no está disponible.</translation>
    </message>
    <message>
        <source>Sound with %1 channels cannot be encoded; use 1 or 2.</source>
        <translation>No se puede codificar sonido con %1 canales; usa 1 o 2.</translation>
    </message>
    <message>
        <source>The sound is read at %1 Hz but should be encoded at %2 Hz; use the same rate for both.</source>
        <translation>El sonido se lee a %1 Hz pero debería codificarse a %2 Hz; usa la misma frecuencia para ambos.</translation>
    </message>
    <message>
        <source>The sound encoder refused the settings: %1.</source>
        <translation>El codificador de sonido rechazó la configuración: %1.</translation>
    </message>
    <message>
        <source>Cannot add the sound to the MP4 file.</source>
        <translation>No se puede agregar el sonido al archivo MP4.</translation>
    </message>
    <message>
        <source>Cannot convert the sound for the encoder: %1.</source>
        <translation>No se puede convertir el sonido para el codificador: %1.</translation>
    </message>
    <message>
        <source>Encoding failed: %1.</source>
        <translation>La codificación falló: %1.</translation>
    </message>
    <message>
        <source>The H.264 encoder failed: %1.</source>
        <translation>El codificador H.264 falló: %1.</translation>
    </message>
    <message>
        <source>Converting the sound failed.</source>
        <translation>La conversión del sonido falló.</translation>
    </message>
    <message>
        <source>The sound encoder failed: %1.</source>
        <translation>El codificador de sonido falló: %1.</translation>
    </message>
    <message>
        <source>Mixing the sound inputs failed.</source>
        <translation>La mezcla de las entradas de sonido falló.</translation>
    </message>
</context>
<context>
    <name>HistoryWidget</name>
    <message>
        <source>Remove from history</source>
        <translation>Quitar del historial</translation>
    </message>
    <message>
        <source>Remove this link from the history? The video stays on the service: anyone who has the link can still watch it.</source>
        <translation>¿Quitar este enlace del historial? El video sigue en el servicio: cualquiera que tenga el enlace todavía puede verlo.</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Quitar</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Historial</translation>
    </message>
    <message>
        <source>There are no items</source>
        <translation>No hay elementos</translation>
    </message>
</context>
<context>
    <name>HistoryWidgetItem</name>
    <message>
        <source>Save the video</source>
        <translation>Guardar el video</translation>
    </message>
    <message>
        <source>Open the folder of the video</source>
        <translation>Abrir la carpeta del video</translation>
    </message>
    <message>
        <source>Remove from history (the video stays on the service)</source>
        <translation>Quitar del historial (el video sigue en el servicio)</translation>
    </message>
    <message>
        <source>Recorded %1, uploaded %2</source>
        <translation>Grabado el %1, subido el %2</translation>
    </message>
    <message>
        <source>Uploaded %1</source>
        <translation>Subido el %1</translation>
    </message>
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
        <translation>Quitar del historial</translation>
    </message>
</context>
<context>
    <name>HistoryRecordingItem</name>
    <message>
        <source>waiting to retry (next try in %1)</source>
        <translation>esperando para reintentar (próximo intento en %1)</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>waiting to upload</source>
        <translation>esperando para subir</translation>
    </message>
    <message>
        <source>The last try failed: %1</source>
        <translation>El último intento falló: %1</translation>
    </message>
    <message>
        <source>Retry now</source>
        <translation>Reintentar ahora</translation>
    </message>
    <message>
        <source>not uploaded</source>
        <translation>sin subir</translation>
    </message>
    <message>
        <source>upload failed: %1</source>
        <translation>error al subir: %1</translation>
    </message>
    <message>
        <source>uploading</source>
        <translation>subiendo</translation>
    </message>
    <message>
        <source>recovered</source>
        <translation>recuperada</translation>
    </message>
    <message>
        <source>recording</source>
        <translation>grabando</translation>
    </message>
    <message>
        <source>Upload again</source>
        <translation>Volver a subir</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
</context>
<context>
    <name>StartupRecovery</name>
    <message>
        <source>The recording %1 left by an earlier version of Clipnest could not be moved to the recordings: %2</source>
        <translation>La grabación %1 que dejó una versión anterior de Clipnest no se pudo mover a las grabaciones: %2</translation>
    </message>
    <message>
        <source>A recording cut short when Clipnest last ended could not be recovered: %1 The file was kept; you can delete it in the history.</source>
        <translation>No se pudo recuperar una grabación que quedó interrumpida la última vez que se cerró Clipnest: %1 El archivo se conservó; puedes eliminarlo en el historial.</translation>
    </message>
</context>
<context>
    <name>HttpUploader</name>
    <message>
        <source>The upload service at %1 took the video but did not finish its answer within %2 seconds. Please try again later.</source>
        <translation>El servicio de subida en %1 recibió el video, pero no terminó de responder en %2 segundos. Vuelve a intentarlo más tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link that has characters no link holds (such as spaces, quotes or angle brackets); it was not used.</source>
        <translation>El servicio de subida en %1 respondió con un enlace que tiene caracteres que ningún enlace lleva (como espacios, comillas o signos &lt; &gt;); no se usó.</translation>
    </message>
    <message>
        <source>the service's certificate or encryption was not accepted</source>
        <translation>no se aceptó el certificado o el cifrado del servicio</translation>
    </message>
    <message>
        <source>the upload was cancelled</source>
        <translation>se canceló la subida</translation>
    </message>
    <message>
        <source>access was denied</source>
        <translation>se denegó el acceso</translation>
    </message>
    <message>
        <source>the address is not on the service</source>
        <translation>la dirección no existe en el servicio</translation>
    </message>
    <message>
        <source>the service's answer could not be understood</source>
        <translation>no se pudo entender la respuesta del servicio</translation>
    </message>
    <message>
        <source>the network reported a failure</source>
        <translation>la red informó de un error</translation>
    </message>
    <message>
        <source>the program's settings</source>
        <translation>la configuración del programa</translation>
    </message>
    <message>
        <source>The upload service at %1 points to another address: %2. Uploads are not sent on; if that is the right service, put its address in the "Service host" setting in %3.</source>
        <translation>El servicio de subida en %1 redirige a otra dirección: %2. Las subidas no se reenvían; si ese es el servicio correcto, pon su dirección en la opción "Service host" de %3.</translation>
    </message>
    <message>
        <source>The upload service at %1 points to another address without naming it (status %2). Check the "Service host" setting in %3.</source>
        <translation>El servicio de subida en %1 redirige a otra dirección sin indicar cuál (estado %2). Revisa la opción "Service host" de %3.</translation>
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
        <translation>El servicio de subida en %1 pide un token de acceso. Ponlo en la opción "Service token" de %2.</translation>
    </message>
    <message>
        <source>The upload service at %1 refused the video (status %2).</source>
        <translation>El servicio de subida en %1 rechazó el video (estado %2).</translation>
    </message>
    <message>
        <source>The upload service at %1 does not answer. Is it running? The address is the "Service host" setting in %2.</source>
        <translation>El servicio de subida en %1 no responde. ¿Está en ejecución? La dirección es la opción "Service host" de %2.</translation>
    </message>
    <message>
        <source>The host of the upload service at %1 is not known. Check the network connection and the "Service host" setting in %2.</source>
        <translation>No se encuentra el servidor del servicio de subida en %1. Revisa la conexión de red y la opción "Service host" de %2.</translation>
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
        <translation>No se puede conectar con el servicio de subida en %1. Revisa la conexión de red y vuelve a intentarlo más tarde.</translation>
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
        <translation>El servicio de subida en %1 respondió con un enlace que contiene espacios o caracteres de control; no se usó.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link longer than %2 bytes; it was not used.</source>
        <translation>El servicio de subida en %1 respondió con un enlace de más de %2 bytes; no se usó.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link without a host name; it was not used.</source>
        <translation>El servicio de subida en %1 respondió con un enlace sin nombre de servidor; no se usó.</translation>
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
        <translation>La dirección de subida "%1" no se puede usar. Revisa la opción "Service host".</translation>
    </message>
    <message>
        <source>The "Service token" setting in %1 holds characters a token cannot have: only letters, digits and visible punctuation, without spaces.</source>
        <translation>La opción "Service token" de %1 contiene caracteres que un token no puede tener: solo letras, dígitos y signos de puntuación visibles, sin espacios.</translation>
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
        <translation>Subiendo, espera un momento...</translation>
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
    <message>
        <source>A recording is already under way; stop it before starting another one.</source>
        <translation>Ya hay una grabación en curso; detenla antes de empezar otra.</translation>
    </message>
    <message>
        <source>No screen grabber is set.</source>
        <translation>No se ha indicado ningún capturador de pantalla.</translation>
    </message>
    <message>
        <source>No sound grabber is set.</source>
        <translation>No se ha indicado ningún capturador de sonido.</translation>
    </message>
    <message>
        <source>Video codec %1 is not available; use H.264.</source>
        <translation>El códec de video %1 no está disponible; usa H.264.</translation>
    </message>
    <message>
        <source>Pixel format %1 is not available; use YUV 4:2:0.</source>
        <translation>El formato de píxel %1 no está disponible; usa YUV 4:2:0.</translation>
    </message>
    <message>
        <source>Audio codec %1 is not available; use MP3 or AAC.</source>
        <translation>El códec de audio %1 no está disponible; usa MP3 o AAC.</translation>
    </message>
    <message>
        <source>Sample format %1 is not the sound grabber's; leave it to the encoder.</source>
        <translation>El formato de muestra %1 no es el del capturador de sonido; deja que lo elija el codificador.</translation>
    </message>
    <message>
        <source>No file to record into is set.</source>
        <translation>No se ha indicado el archivo en el que grabar.</translation>
    </message>
    <message>
        <source>The area to record is empty (%1 x %2 pixels). Select an area of at least 1 x 1 pixel.</source>
        <translation>El área que grabar está vacía (%1 x %2 píxeles). Selecciona un área de al menos 1 x 1 píxel.</translation>
    </message>
    <message>
        <source>The sound stopped: %1 The recording goes on, silent until the sound comes back.</source>
        <translation>El sonido se detuvo: %1 La grabación continúa, en silencio hasta que vuelva el sonido.</translation>
    </message>
</context>
<context>
    <name>RecordingSaver</name>
    <message>
        <source>Can not read the recording %1.</source>
        <translation>No se puede leer la grabación %1.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: there is no such folder.</source>
        <translation>No se puede guardar la grabación como %1: esa carpeta no existe.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: you may not write to that folder.</source>
        <translation>No se puede guardar la grabación como %1: no tienes permiso para escribir en esa carpeta.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: that disk can only be read.</source>
        <translation>No se puede guardar la grabación como %1: ese disco es de solo lectura.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: the disk is full.</source>
        <translation>No se puede guardar la grabación como %1: el disco está lleno.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: that is a folder.</source>
        <translation>No se puede guardar la grabación como %1: eso es una carpeta.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: the name is too long.</source>
        <translation>No se puede guardar la grabación como %1: el nombre es demasiado largo.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1.</source>
        <translation>No se puede guardar la grabación como %1.</translation>
    </message>
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
        <translation>No se puede eliminar la grabación %1: %2</translation>
    </message>
    <message>
        <source>Can not find a free name for a new recording in %1.</source>
        <translation>No se encontró un nombre libre para una grabación nueva en %1.</translation>
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
        <source>the file is missing</source>
        <translation>el archivo no existe</translation>
    </message>
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
    <message>
        <source>Service temporarily not working. Please try again later</source>
        <translation>El servicio no está disponible en este momento. Vuelve a intentarlo más tarde</translation>
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
        <translation>Haz clic para grabar un video</translation>
    </message>
    <message>
        <source>Show/hide record button</source>
        <translation>Mostrar u ocultar el botón de grabar</translation>
    </message>
</context>
<context>
    <name>UploadController</name>
    <message>
        <source>The upload service address "%1" is not usable. Put a host name (host:port) or an http:// or https:// address under "%2" in the settings.</source>
        <translation>La dirección del servicio de subidas "%1" no se puede usar. Escribe un nombre de host (host:puerto) o una dirección http:// o https:// en "%2" en la configuración.</translation>
    </message>
    <message>
        <source>Service address</source>
        <translation>Dirección del servicio</translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation>Configuración...</translation>
    </message>
    <message>
        <source>Video uploaded</source>
        <translation>Video subido</translation>
    </message>
    <message>
        <source>The link to your video is ready: %1</source>
        <translation>El enlace a tu video está listo: %1</translation>
    </message>
    <message>
        <source>Copy link</source>
        <translation>Copiar enlace</translation>
    </message>
    <message>
        <source>Service temporarily not working. Please try again later</source>
        <translation>El servicio no está disponible en este momento. Vuelve a intentarlo más tarde</translation>
    </message>
    <message>
        <source>The upload service address "%1" is not usable. Put a host name (host:port) or an http:// or https:// address under "%2" in %3.</source>
        <translation>La dirección del servicio de subida "%1" no se puede usar. Escribe un nombre de host (host:puerto) o una dirección http:// o https:// en "%2" dentro de %3.</translation>
    </message>
    <message>
        <source>Upload error</source>
        <translation>Error al subir</translation>
    </message>
    <message>
        <source>The recording %1 holds no video that can be read; it was not uploaded.</source>
        <translation>La grabación %1 no contiene ningún video legible; no se subió.</translation>
    </message>
    <message>
        <source>The recording %1 is not there any more.</source>
        <translation>La grabación %1 ya no existe.</translation>
    </message>
    <message>
        <source>The recording is kept, and Clipnest tries again by itself.</source>
        <translation>La grabación se conserva y Clipnest volverá a intentarlo por su cuenta.</translation>
    </message>
    <message>
        <source>A recording could not be uploaded: %1</source>
        <translation>No se pudo subir una grabación: %1</translation>
    </message>
    <message>
        <source>Video link copied to clipboard</source>
        <translation>Enlace del video copiado al portapapeles</translation>
    </message>
</context>
<context>
    <name>ScreenGrabber</name>
    <message>
        <source>The area to record is empty (%1 x %2 pixels). Select an area of at least 1 x 1 pixel.</source>
        <translation>El área que grabar está vacía (%1 x %2 píxeles). Selecciona un área de al menos 1 x 1 píxel.</translation>
    </message>
    <message>
        <source>Cannot reserve shared memory for the screen pictures: %1.</source>
        <translation>No se puede reservar memoria compartida para las imágenes de la pantalla: %1.</translation>
    </message>
    <message>
        <source>Cannot map shared memory for the screen pictures: %1.</source>
        <translation>No se puede asignar la memoria compartida para las imágenes de la pantalla: %1.</translation>
    </message>
    <message>
        <source>The X server cannot share memory with this program (error %1). Screen recording needs a local X display.</source>
        <translation>El servidor X no puede compartir memoria con este programa (error %1). Para grabar la pantalla hace falta un display X local.</translation>
    </message>
    <message>
        <source>The connection to the X display was lost.</source>
        <translation>Se perdió la conexión con el display X.</translation>
    </message>
    <message>
        <source>The screen is now %1 x %2 pixels; the recorded area (%3 x %4 at %5, %6) no longer fits on it.</source>
        <translation>La pantalla ahora mide %1 x %2 píxeles; el área grabada (%3 x %4 en %5, %6) ya no cabe en ella.</translation>
    </message>
    <message>
        <source>The X server refused to hand over the screen picture (error %1).</source>
        <translation>El servidor X se negó a entregar la imagen de la pantalla (error %1).</translation>
    </message>
    <message>
        <source>No X display is set (DISPLAY is empty), so the screen cannot be recorded.</source>
        <translation>No se indicó ningún display X (DISPLAY está vacío), así que no se puede grabar la pantalla.</translation>
    </message>
    <message>
        <source>Cannot connect to the X display "%1", so the screen cannot be recorded. Check that the X server is running.</source>
        <translation>No se puede conectar con el display X "%1", así que no se puede grabar la pantalla. Comprueba que el servidor X esté en ejecución.</translation>
    </message>
    <message>
        <source>The X display %1 has no screen %2.</source>
        <translation>El display X %1 no tiene la pantalla %2.</translation>
    </message>
    <message>
        <source>The X display "%1" cannot share memory with programs (no MIT-SHM), which screen recording needs.</source>
        <translation>El display X "%1" no puede compartir memoria con los programas (no tiene MIT-SHM), algo necesario para grabar la pantalla.</translation>
    </message>
    <message>
        <source>The screen uses %1 bits per pixel; only 32-bit screens can be recorded.</source>
        <translation>La pantalla usa %1 bits por píxel; solo se pueden grabar pantallas de 32 bits.</translation>
    </message>
    <message>
        <source>The area to record (%1 x %2 at %3, %4) does not lie on the screen of %5 x %6 pixels.</source>
        <translation>El área que grabar (%1 x %2 en %3, %4) no está dentro de la pantalla de %5 x %6 píxeles.</translation>
    </message>
    <message>
        <source>The connection to PipeWire was lost: %1</source>
        <translation>Se perdió la conexión con PipeWire: %1</translation>
    </message>
    <message>
        <source>The screen sharing was ended.</source>
        <translation>Se terminó el uso compartido de la pantalla.</translation>
    </message>
    <message>
        <source>The screen sharing failed: %1</source>
        <translation>Falló el uso compartido de la pantalla: %1</translation>
    </message>
    <message>
        <source>The screen sharing offers its pictures in a form this program cannot read.</source>
        <translation>El uso compartido de la pantalla ofrece sus imágenes en una forma que este programa no puede leer.</translation>
    </message>
    <message>
        <source>Cannot start PipeWire, which brings the shared screen.</source>
        <translation>No se puede iniciar PipeWire, que trae la pantalla compartida.</translation>
    </message>
    <message>
        <source>Cannot connect to the shared screen through PipeWire: %1</source>
        <translation>No se puede conectar con la pantalla compartida a través de PipeWire: %1</translation>
    </message>
    <message>
        <source>The screen sharing sent no picture format within %1 seconds.</source>
        <translation>El uso compartido de la pantalla no envió ningún formato de imagen en %1 segundos.</translation>
    </message>
    <message>
        <source>The shared screen is %1 x %2 pixels; the area to record (%3 x %4 at %5, %6) does not lie on it.</source>
        <translation>La pantalla compartida mide %1 x %2 píxeles; el área que grabar (%3 x %4 en %5, %6) no está dentro de ella.</translation>
    </message>
    <message>
        <source>The screen sharing sends its pictures in memory this program cannot read.</source>
        <translation>El uso compartido de la pantalla envía sus imágenes en una memoria que este programa no puede leer.</translation>
    </message>
    <message>
        <source>The screen sharing sent no picture within %1 milliseconds.</source>
        <translation>El uso compartido de la pantalla no envió ninguna imagen en %1 milisegundos.</translation>
    </message>
</context>
<context>
    <name>AudioGrabber</name>
    <message>
        <source>Cannot start the sound connection.</source>
        <translation>No se puede iniciar la conexión de sonido.</translation>
    </message>
    <message>
        <source>Cannot reach the sound server (%1), so the microphone cannot be recorded. Check that PulseAudio is running, or record without sound.</source>
        <translation>No se puede contactar con el servidor de sonido (%1), así que no se puede grabar el micrófono. Comprueba que PulseAudio esté en ejecución o graba sin sonido.</translation>
    </message>
    <message>
        <source>There is no sound source number %1 (%2). Connect a microphone, or record without sound.</source>
        <translation>No existe la fuente de sonido número %1 (%2). Conecta un micrófono o graba sin sonido.</translation>
    </message>
    <message>
        <source>There is no microphone to record from (%1). Connect one, or record without sound.</source>
        <translation>No hay ningún micrófono desde el que grabar (%1). Conecta uno o graba sin sonido.</translation>
    </message>
    <message>
        <source>The microphone cannot be opened: %1. Record without sound, or check the sound settings.</source>
        <translation>No se puede abrir el micrófono: %1. Graba sin sonido o revisa la configuración de sonido.</translation>
    </message>
    <message>
        <source>The connection to the sound server was lost (%1).</source>
        <translation>Se perdió la conexión con el servidor de sonido (%1).</translation>
    </message>
    <message>
        <source>The microphone went away (%1).</source>
        <translation>El micrófono se desconectó (%1).</translation>
    </message>
    <message>
        <source>The sound sample format %1 is not supported.</source>
        <translation>El formato de muestra de sonido %1 no es compatible.</translation>
    </message>
    <message>
        <source>The sound format (%1 Hz, %2 channels) is not supported.</source>
        <translation>El formato de sonido (%1 Hz, %2 canales) no es compatible.</translation>
    </message>
    <message>
        <source>The computer's sound cannot be recorded: %1. Record the microphone instead, or record without sound.</source>
        <translation>No se puede grabar el sonido de la computadora: %1. Graba el micrófono en su lugar o graba sin sonido.</translation>
    </message>
    <message>
        <source>The computer's sound went away (%1).</source>
        <translation>El sonido de la computadora dejó de estar disponible (%1).</translation>
    </message>
</context>
<context>
    <name>SoundSourceMenu</name>
    <message>
        <source>Microphone</source>
        <translation>Micrófono</translation>
    </message>
    <message>
        <source>Computer sound</source>
        <translation>Sonido de la computadora</translation>
    </message>
    <message>
        <source>Both</source>
        <translation>Ambos</translation>
    </message>
</context>
<context>
    <name>HistoryManager</name>
    <message>
        <source>The upload history could not be written to %1. Check that the folder exists and that you may write to it.</source>
        <translation>No se pudo escribir el historial de subidas en %1. Comprueba que la carpeta existe y que puedes escribir en ella.</translation>
    </message>
</context>
<context>
    <name>SaveRecordingFlow</name>
    <message>
        <source>MP4 video (*.mp4)</source>
        <translation>Video MP4 (*.mp4)</translation>
    </message>
    <message>
        <source>%1 already exists. Do you want to replace it?</source>
        <translation>%1 ya existe. ¿Quieres reemplazarlo?</translation>
    </message>
    <message>
        <source>The recording was saved as %1.</source>
        <translation>La grabación se guardó como %1.</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Abrir carpeta</translation>
    </message>
    <message>
        <source>Can not open the folder %1.</source>
        <translation>No se puede abrir la carpeta %1.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Can not save file</source>
        <translation>No se puede guardar el archivo</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>ScreenSharing</name>
    <message>
        <source>Cannot use the screen-sharing connection (%1). Open the capture again.</source>
        <translation>No se puede usar la conexión para compartir la pantalla (%1). Abre la captura de nuevo.</translation>
    </message>
    <message>
        <source>The desktop shared no monitor this program can show. Try again, and choose a whole monitor.</source>
        <translation>El escritorio no compartió ningún monitor que este programa pueda mostrar. Vuelve a intentarlo y elige un monitor completo.</translation>
    </message>
    <message>
        <source>The screen is no longer shared with this program. Open the capture again and let the desktop share it.</source>
        <translation>La pantalla ya no se comparte con este programa. Abre la captura de nuevo y deja que el escritorio la comparta.</translation>
    </message>
    <message>
        <source>This desktop offers no screen sharing to programs (%1). Install xdg-desktop-portal and the portal package for your desktop, then try again.</source>
        <translation>Este escritorio no ofrece a los programas compartir la pantalla (%1). Instala xdg-desktop-portal y el paquete del portal de tu escritorio, y vuelve a intentarlo.</translation>
    </message>
    <message>
        <source>it cannot share whole monitors</source>
        <translation>no puede compartir monitores completos</translation>
    </message>
    <message>
        <source>The desktop's screen sharing made no session. Try again.</source>
        <translation>El uso compartido de pantalla del escritorio no creó ninguna sesión. Vuelve a intentarlo.</translation>
    </message>
    <message>
        <source>The desktop shared no monitor. Try again.</source>
        <translation>El escritorio no compartió ningún monitor. Vuelve a intentarlo.</translation>
    </message>
    <message>
        <source>The desktop's screen sharing gave no connection to the screen. Try again.</source>
        <translation>El uso compartido de pantalla del escritorio no dio ninguna conexión con la pantalla. Vuelve a intentarlo.</translation>
    </message>
    <message>
        <source>no session bus</source>
        <translation>no hay bus de sesión</translation>
    </message>
    <message>
        <source>Screen sharing was cancelled, so there is nothing to record.</source>
        <translation>Se canceló el uso compartido de la pantalla, así que no hay nada que grabar.</translation>
    </message>
    <message>
        <source>The desktop did not share the screen. Try again, and allow sharing when the desktop asks.</source>
        <translation>El escritorio no compartió la pantalla. Vuelve a intentarlo y permite compartirla cuando el escritorio lo pregunte.</translation>
    </message>
    <message>
        <source>The desktop's screen sharing failed (%1). Try again.</source>
        <translation>El uso compartido de pantalla del escritorio falló (%1). Vuelve a intentarlo.</translation>
    </message>
    <message>
        <source>The desktop ended screen sharing before it began. Try again.</source>
        <translation>El escritorio terminó el uso compartido de la pantalla antes de que empezara. Vuelve a intentarlo.</translation>
    </message>
</context>
<context>
    <name>TrayRecording</name>
    <message>
        <source>Recording paused. Click to stop it.</source>
        <translation>Grabación en pausa. Haz clic para detenerla.</translation>
    </message>
    <message>
        <source>Recording. Click to stop it.</source>
        <translation>Grabando. Haz clic para detener la grabación.</translation>
    </message>
</context>
<context>
    <name>GlobalShortcuts</name>
    <message>
        <source>Choose them again under "Keyboard shortcuts..." in the tray menu, or bind clipnest --capture and clipnest --stop in the desktop's keyboard settings.</source>
        <translation>Vuelve a elegirlos en "Atajos de teclado..." del menú de la bandeja, o asigna clipnest --capture y clipnest --stop en la configuración de teclado del escritorio.</translation>
    </message>
    <message>
        <source>The desktop made no place for the program's key combinations. %1</source>
        <translation>El escritorio no aceptó las combinaciones de teclas del programa. %1</translation>
    </message>
    <message>
        <source>The desktop's question about key combinations was closed, so none are bound. %1</source>
        <translation>Se cerró la pregunta del escritorio sobre las combinaciones de teclas, así que no se asignó ninguna. %1</translation>
    </message>
    <message>
        <source>The desktop did not bind the key combinations. %1</source>
        <translation>El escritorio no asignó las combinaciones de teclas. %1</translation>
    </message>
    <message>
        <source>The desktop's key combinations cannot be reached. %1</source>
        <translation>No se puede acceder a las combinaciones de teclas del escritorio. %1</translation>
    </message>
    <message>
        <source>The desktop's key combinations failed (%1: %2). %3</source>
        <translation>Fallaron las combinaciones de teclas del escritorio (%1: %2). %3</translation>
    </message>
    <message>
        <source>Start a Clipnest capture</source>
        <translation>Iniciar una captura de Clipnest</translation>
    </message>
    <message>
        <source>Stop the Clipnest recording</source>
        <translation>Detener la grabación de Clipnest</translation>
    </message>
</context>
<context>
    <name>WebAddress</name>
    <message>
        <source>No web browser could be started to open this address:
%1

Copy it and paste it into a browser.</source>
        <translation>No se pudo abrir ningún navegador web para esta dirección:
%1

Cópiala y pégala en un navegador.</translation>
    </message>
    <message>
        <source>Copy address</source>
        <translation>Copiar dirección</translation>
    </message>
</context>
<context>
    <name>SystemError</name>
    <message>
        <source>%1 (details: %2)</source>
        <translation>%1 (detalles: %2)</translation>
    </message>
    <message>
        <source>the file or folder does not exist</source>
        <translation>el archivo o la carpeta no existe</translation>
    </message>
    <message>
        <source>a part of the path is not a folder</source>
        <translation>una parte de la ruta no es una carpeta</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>permiso denegado</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>el disco está lleno</translation>
    </message>
    <message>
        <source>the disk can only be read</source>
        <translation>el disco es de solo lectura</translation>
    </message>
    <message>
        <source>that is a folder</source>
        <translation>eso es una carpeta</translation>
    </message>
    <message>
        <source>it already exists</source>
        <translation>ya existe</translation>
    </message>
    <message>
        <source>the name is too long</source>
        <translation>el nombre es demasiado largo</translation>
    </message>
    <message>
        <source>too many files are open</source>
        <translation>hay demasiados archivos abiertos</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>memoria agotada</translation>
    </message>
    <message>
        <source>the disk could not be read or written</source>
        <translation>no se pudo leer ni escribir en el disco</translation>
    </message>
    <message>
        <source>it is in use</source>
        <translation>está en uso</translation>
    </message>
    <message>
        <source>it is on another disk</source>
        <translation>está en otro disco</translation>
    </message>
    <message>
        <source>the folder is not empty</source>
        <translation>la carpeta no está vacía</translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation>el archivo es demasiado grande</translation>
    </message>
    <message>
        <source>the path goes round in a circle of links</source>
        <translation>la ruta da vueltas en un círculo de enlaces</translation>
    </message>
    <message>
        <source>it took too long</source>
        <translation>tardó demasiado</translation>
    </message>
    <message>
        <source>the connection was refused</source>
        <translation>se rechazó la conexión</translation>
    </message>
    <message>
        <source>it is busy for now</source>
        <translation>está ocupado por ahora</translation>
    </message>
    <message>
        <source>a value was not accepted</source>
        <translation>no se aceptó un valor</translation>
    </message>
    <message>
        <source>the system refused (error %1)</source>
        <translation>el sistema lo rechazó (error %1)</translation>
    </message>
    <message>
        <source>the file could not be read</source>
        <translation>no se pudo leer el archivo</translation>
    </message>
    <message>
        <source>the file could not be written</source>
        <translation>no se pudo escribir el archivo</translation>
    </message>
    <message>
        <source>the system ran out of room (disk space, memory or open files)</source>
        <translation>el sistema se quedó sin espacio (disco, memoria o archivos abiertos)</translation>
    </message>
    <message>
        <source>the file could not be removed</source>
        <translation>no se pudo eliminar el archivo</translation>
    </message>
    <message>
        <source>the file could not be renamed</source>
        <translation>no se pudo cambiar el nombre del archivo</translation>
    </message>
    <message>
        <source>the operation was cancelled</source>
        <translation>se canceló la operación</translation>
    </message>
    <message>
        <source>the file could not be opened</source>
        <translation>no se pudo abrir el archivo</translation>
    </message>
</context>
<context>
    <name>KeptSpaceGuard</name>
    <message>
        <source>Space for recordings</source>
        <translation>Espacio para grabaciones</translation>
    </message>
    <message>
        <source>Kept recordings take more than the %1 you allow. Deleting the oldest uploaded ones that were never saved elsewhere (%2 in all, %3) would make room. Delete them from this computer? Their links stay in the history and the videos stay on the service.</source>
        <translation>Las grabaciones guardadas ocupan más de los %1 que permitiste. Borrar las más antiguas ya subidas que nunca guardaste en otro lugar (%2 en total, %3) liberaría espacio. ¿Borrarlas de esta computadora? Sus enlaces quedan en el historial y los videos siguen en el servicio.</translation>
    </message>
</context>
<context>
    <name>ConnectionCheck</name>
    <message>
        <source>It answered: %1</source>
        <translation>Respondió: %1</translation>
    </message>
    <message>
        <source>%1 is reachable and accepts uploads.</source>
        <translation>%1 está accesible y acepta subidas.</translation>
    </message>
    <message>
        <source>%1 answers, but it is not an upload service.</source>
        <translation>%1 responde, pero no es un servicio de subidas.</translation>
    </message>
    <message>
        <source>%1 refused the token.</source>
        <translation>%1 rechazó el token.</translation>
    </message>
    <message>
        <source>%1 needs a token.</source>
        <translation>%1 necesita un token.</translation>
    </message>
    <message>
        <source>%1 answers, but it is not an upload service (status %2).</source>
        <translation>%1 responde, pero no es un servicio de subidas (estado %2).</translation>
    </message>
    <message>
        <source>%1 points to another address (status %2): put the service's own address here.</source>
        <translation>%1 remite a otra dirección (estado %2): escribe aquí la dirección propia del servicio.</translation>
    </message>
    <message>
        <source>%1 is reachable but has a problem now (status %2).</source>
        <translation>%1 está accesible, pero ahora tiene un problema (estado %2).</translation>
    </message>
    <message>
        <source>%1 refused the upload (status %2).</source>
        <translation>%1 rechazó la subida (estado %2).</translation>
    </message>
    <message>
        <source>no answer within %1 seconds</source>
        <translation>sin respuesta en %1 segundos</translation>
    </message>
    <message>
        <source>Cannot connect to %1: %2</source>
        <translation>No se puede conectar con %1: %2</translation>
    </message>
    <message>
        <source>"%1" is no service address: write host:port, or an http:// or https:// address.</source>
        <translation>"%1" no es una dirección de servicio: escribe host:puerto, o una dirección http:// o https://.</translation>
    </message>
    <message>
        <source>A token has only letters, digits and visible punctuation, without spaces.</source>
        <translation>Un token solo tiene letras, dígitos y signos de puntuación visibles, sin espacios.</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>None</source>
        <translation>Ninguno</translation>
    </message>
    <message>
        <source>Clipnest settings</source>
        <translation>Configuración de Clipnest</translation>
    </message>
    <message>
        <source>Upload service</source>
        <translation>Servicio de subidas</translation>
    </message>
    <message>
        <source>Service address:</source>
        <translation>Dirección del servicio:</translation>
    </message>
    <message>
        <source>Token:</source>
        <translation>Token:</translation>
    </message>
    <message>
        <source>Test connection</source>
        <translation>Probar la conexión</translation>
    </message>
    <message>
        <source>Upload while recording</source>
        <translation>Subir mientras se graba</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Sonido</translation>
    </message>
    <message>
        <source>Record with sound from:</source>
        <translation>Grabar con sonido de:</translation>
    </message>
    <message>
        <source>Microphone</source>
        <translation>Micrófono</translation>
    </message>
    <message>
        <source>Computer sound</source>
        <translation>Sonido de la computadora</translation>
    </message>
    <message>
        <source>Both</source>
        <translation>Ambos</translation>
    </message>
    <message>
        <source>Microphone level:</source>
        <translation>Nivel del micrófono:</translation>
    </message>
    <message>
        <source>Computer sound level:</source>
        <translation>Nivel del sonido de la computadora:</translation>
    </message>
    <message>
        <source>Recordings</source>
        <translation>Grabaciones</translation>
    </message>
    <message>
        <source>Save recordings in:</source>
        <translation>Guardar las grabaciones en:</translation>
    </message>
    <message>
        <source>Choose...</source>
        <translation>Elegir...</translation>
    </message>
    <message>
        <source>Recording and controls</source>
        <translation>Grabación y controles</translation>
    </message>
    <message>
        <source>Show the record button</source>
        <translation>Mostrar el botón de grabación</translation>
    </message>
    <message>
        <source>Start a capture:</source>
        <translation>Iniciar una captura:</translation>
    </message>
    <message>
        <source>Stop the recording:</source>
        <translation>Detener la grabación:</translation>
    </message>
    <message>
        <source>Change shortcuts...</source>
        <translation>Cambiar atajos...</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Idioma:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Testing the connection...</source>
        <translation>Probando la conexión...</translation>
    </message>
    <message>
        <source>%1 is not a folder. Recordings are still saved in %2.</source>
        <translation>%1 no es una carpeta. Las grabaciones se siguen guardando en %2.</translation>
    </message>
    <message>
        <source>Save recordings in</source>
        <translation>Guardar las grabaciones en</translation>
    </message>
    <message>
        <source>Kept recordings may take (MiB, 0: no limit):</source>
        <translation>Espacio para las grabaciones guardadas (MiB, 0: sin límite):</translation>
    </message>
    <message>
        <source>Countdown (seconds, 0: off):</source>
        <translation>Cuenta regresiva (segundos, 0: desactivada):</translation>
    </message>
</context>
<context>
    <name>FirstRunHint</name>
    <message>
        <source>Welcome to Clipnest</source>
        <translation>Bienvenido a Clipnest</translation>
    </message>
    <message>
        <source>Clipnest lives in the system tray: its icon opens the menu, with Settings and the record button's switch.</source>
        <translation>Clipnest vive en la bandeja del sistema: su ícono abre el menú, con la Configuración y el interruptor del botón de grabación.</translation>
    </message>
    <message>
        <source>There is no system tray here, so Clipnest lives in the record button at the edge of the screen.</source>
        <translation>Aquí no hay bandeja del sistema, así que Clipnest vive en el botón de grabación, en el borde de la pantalla.</translation>
    </message>
    <message>
        <source>No key combination starts a capture; you can choose one in Settings. Click the record button to select an area.</source>
        <translation>Ninguna combinación de teclas inicia una captura; puedes elegir una en la Configuración. Haz clic en el botón de grabación para seleccionar un área.</translation>
    </message>
    <message>
        <source>Click the record button or press %1 to select an area.</source>
        <translation>Haz clic en el botón de grabación o presiona %1 para seleccionar un área.</translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation>Configuración...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>TusClient</name>
    <message>
        <source>The upload service at %1 gave an answer the program can not use: %2. Ask the service's operator to check it.</source>
        <translation>El servicio de subida en %1 dio una respuesta que el programa no puede usar: %2. Pídele al administrador del servicio que lo revise.</translation>
    </message>
    <message>
        <source>no upload address on the service's own host</source>
        <translation>ninguna dirección de subida en el propio servidor del servicio</translation>
    </message>
    <message>
        <source>no valid upload length</source>
        <translation>ningún tamaño de subida válido</translation>
    </message>
    <message>
        <source>an upload offset outside the video</source>
        <translation>una posición de subida fuera del video</translation>
    </message>
    <message>
        <source>an upload offset outside the bytes sent</source>
        <translation>una posición de subida fuera de los bytes enviados</translation>
    </message>
</context>
<context>
    <name>TusUpload</name>
    <message>
        <source>Can not read the recording: %1</source>
        <translation>No se puede leer la grabación: %1</translation>
    </message>
</context>
<context>
    <name>FileUploadSource</name>
    <message>
        <source>the file became shorter</source>
        <translation>el archivo se volvió más corto</translation>
    </message>
</context>
</TS>
