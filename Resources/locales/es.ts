<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
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
    <name>MainWindow</name>
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
        <source>Service temporarily not working. Please try again later</source>
        <translation>Este servicio ahora no está disponible. Vuelve a intentarlo más tarde</translation>
    </message>
    <message>
        <source>Show/hide record button</source>
        <translation>Mostrar/Ocultar el botón de grabación</translation>
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
<context>
    <name>ProgressWidget</name>
    <message>
        <source>Loading, please wait...</source>
        <translation>Cargando, por favor espere...</translation>
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
</TS>
