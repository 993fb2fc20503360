<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name>CropCtrl</name>
    <message>
        <source>Can not save file</source>
        <translation>Impossível guardar o arquivo</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Limpar</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fechar</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Falta</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Gravar</translation>
    </message>
    <message>
        <source>Record with sound</source>
        <translation>Gravar com áudio</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Save video to computer</source>
        <translation>Guardar o arquivo de vídeo no computador</translation>
    </message>
    <message>
        <source>Select the area</source>
        <translation>Selecionar área</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>Partilhar</translation>
    </message>
    <message>
        <source>Share to facebook</source>
        <translation>Partilhar em Facebook</translation>
    </message>
    <message>
        <source>Share to google+</source>
        <translation>Partilhar em Google+</translation>
    </message>
    <message>
        <source>Share to twitter</source>
        <translation>Partilhar em Twitter</translation>
    </message>
    <message>
        <source>Stop recording</source>
        <translation>Parar gravação</translation>
    </message>
    <message>
        <source>Upload video to server</source>
        <translation>Carregar o arquivo de vídeo no servidor</translation>
    </message>
</context>
<context>
    <name>HistoryWidget</name>
    <message>
        <source>History</source>
        <translation>História</translation>
    </message>
    <message>
        <source>There are no items</source>
        <translation>Não existe pontos</translation>
    </message>
</context>
<context>
    <name>HistoryWidgetItem</name>
    <message>
        <source>Copy to clipboard</source>
        <translation>Copiar para área de transferência</translation>
    </message>
    <message>
        <source>Open link in browser</source>
        <translation>Abrir hiperligação em navegador</translation>
    </message>
    <message>
        <source>Remove record</source>
        <translation>Apagar gravação</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Close</source>
        <translation>Fechar</translation>
    </message>
    <message>
        <source>FAQ</source>
        <translation>FAQ</translation>
    </message>
    <message>
        <source>History</source>
        <translation>História</translation>
    </message>
    <message>
        <source>Languages</source>
        <translation>Lingua de interface</translation>
    </message>
    <message>
        <source>Record video</source>
        <translation>Gravar vídeo</translation>
    </message>
    <message>
        <source>Service temporarily not working. Please try again later</source>
        <translation>Serviço temporariamente indisponível. Por favor, tente mais tarde</translation>
    </message>
    <message>
        <source>Show/hide record button</source>
        <translation>Mostrar/esconder o botão de gravação</translation>
    </message>
    <message>
        <source>Upload error</source>
        <translation>Erro de carregamento</translation>
    </message>
    <message>
        <source>Video link copied to clipboard</source>
        <translation>O link de vídeo está copiado em área de transferência</translation>
    </message>
</context>
<context>
    <name>ProgressWidget</name>
    <message>
        <source>Loading, please wait...</source>
        <translation>Descarregamento está em curso, aguarde, por favor...</translation>
    </message>
</context>
<context>
    <name>SnapshotButton</name>
    <message>
        <source>Press to record video</source>
        <translation>Pressione para gravar o vídeo</translation>
    </message>
    <message>
        <source>Show/hide record button</source>
        <translation>Mostrar/esconder o botão de gravação</translation>
    </message>
</context>
</TS>
