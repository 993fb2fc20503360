<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name>CommandLine</name>
    <message>
        <source>Run as a program of this kind of desktop session, x11 or wayland, instead of the one the session says it is.</source>
        <translation>Executar como programa deste tipo de sessão de área de trabalho, x11 ou wayland, em vez do que a sessão indica.</translation>
    </message>
    <message>
        <source>--session takes x11 or wayland, not '%1'.</source>
        <translation>--session aceita x11 ou wayland, não '%1'.</translation>
    </message>
    <message>
        <source>Stop the recording of the running program.</source>
        <translation>Para a gravação do programa em execução.</translation>
    </message>
    <message>
        <source>--capture and --stop cannot go together.</source>
        <translation>--capture e --stop não podem ser usados juntos.</translation>
    </message>
    <message>
        <source>Open the capture in the running program, starting the program first if it is not running.</source>
        <translation>Abre a captura no programa em execução; se ele não estiver em execução, inicia-o primeiro.</translation>
    </message>
    <message>
        <source>Records an area of the screen to a video and shares the video's link.</source>
        <translation>Grava uma área da tela em um vídeo e compartilha o link do vídeo.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Settings...</source>
        <translation>Configurações...</translation>
    </message>
    <message>
        <source>One recording has not been saved or uploaded. Quit anyway? It will be offered again at the next start.</source>
        <translation>Uma gravação não foi salva nem enviada. Sair mesmo assim? Ela será oferecida de novo na próxima vez que o programa for aberto.</translation>
    </message>
    <message>
        <source>%1 recordings have not been saved or uploaded. Quit anyway? They will be offered again at the next start.</source>
        <translation>%1 gravações não foram salvas nem enviadas. Sair mesmo assim? Elas serão oferecidas de novo na próxima vez que o programa for aberto.</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Sair</translation>
    </message>
    <message>
        <source>No program could open the folder %1.</source>
        <translation>Nenhum programa conseguiu abrir a pasta %1.</translation>
    </message>
    <message>
        <source>On this desktop the record button cannot stay at the edge of the screen, so it is not shown. Open the capture from the tray icon, or bind clipnest --capture in the desktop's keyboard settings.</source>
        <translation>Nesta área de trabalho o botão de gravar não pode ficar na borda da tela, por isso não é mostrado. Abra a captura pelo ícone da bandeja ou associe clipnest --capture nas configurações de teclado da área de trabalho.</translation>
    </message>
    <message>
        <source>There is no system tray here. Bind clipnest --capture in the desktop's keyboard settings to open the capture.</source>
        <translation>Não há bandeja do sistema aqui. Associe clipnest --capture nas configurações de teclado da área de trabalho para abrir a captura.</translation>
    </message>
    <message>
        <source>A recording is under way. Stop it from the tray icon before starting another one.</source>
        <translation>Há uma gravação em andamento. Pare-a pelo ícone da bandeja antes de iniciar outra.</translation>
    </message>
    <message>
        <source>There is no system tray here: use the record button, or bind a keyboard shortcut to clipnest --capture</source>
        <translation>Não há bandeja do sistema aqui: use o botão de gravação ou associe um atalho de teclado a clipnest --capture</translation>
    </message>
    <message>
        <source>This is a Wayland session. Clipnest records the screen through X11, so here it sees only the windows of X11 programs; everything else records as black.</source>
        <translation>Esta é uma sessão Wayland. O Clipnest grava a tela por meio do X11, então aqui ele só vê as janelas dos programas X11; todo o resto é gravado em preto.</translation>
    </message>
    <message>
        <source>To record the whole screen, log out and choose an X11 (Xorg) session on the login screen.</source>
        <translation>Para gravar a tela inteira, encerre a sessão e escolha uma sessão X11 (Xorg) na tela de login.</translation>
    </message>
    <message>
        <source>A recording is under way. Stop it with its Stop recording button before starting another one.</source>
        <translation>Há uma gravação em andamento. Pare-a com o botão Parar gravação antes de iniciar outra.</translation>
    </message>
    <message>
        <source>Delete recording</source>
        <translation>Excluir gravação</translation>
    </message>
    <message>
        <source>Delete this recording for good? It has not been uploaded or saved anywhere else.</source>
        <translation>Excluir esta gravação definitivamente? Ela não foi enviada nem salva em nenhum outro lugar.</translation>
    </message>
    <message>
        <source>A recording cut short when Clipnest last ended was recovered: find it in the history.</source>
        <translation>Uma gravação interrompida na última vez em que o Clipnest foi fechado foi recuperada: ela está no histórico.</translation>
    </message>
    <message>
        <source>%1 recordings cut short when Clipnest last ended were recovered: find them in the history.</source>
        <translation>%1 gravações interrompidas na última vez em que o Clipnest foi fechado foram recuperadas: elas estão no histórico.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fechar</translation>
    </message>
    <message>
        <source>FAQ</source>
        <translation>Perguntas frequentes</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Histórico</translation>
    </message>
    <message>
        <source>Languages</source>
        <translation>Idioma da interface</translation>
    </message>
    <message>
        <source>Record video</source>
        <translation>Gravar vídeo</translation>
    </message>
    <message>
        <source>Show/hide record button</source>
        <translation>Mostrar/ocultar o botão de gravação</translation>
    </message>
</context>
<context>
    <name>CountdownMenu</name>
    <message>
        <source>Countdown</source>
        <translation>Contagem regressiva</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Desativada</translation>
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
        <translation>Esta área de trabalho não permite que os programas tenham combinações de teclas próprias. Defina %1 nas configurações de teclado da área de trabalho para executar "%2".</translation>
    </message>
    <message>
        <source>Keyboard shortcuts...</source>
        <translation>Atalhos de teclado...</translation>
    </message>
    <message>
        <source>Another program already uses %1.</source>
        <translation>Outro programa já usa %1.</translation>
    </message>
    <message>
        <source>This keyboard has no key for %1.</source>
        <translation>Este teclado não tem nenhuma tecla para %1.</translation>
    </message>
    <message>
        <source>Key combinations need an X11 display.</source>
        <translation>As combinações de teclas precisam de uma tela X11.</translation>
    </message>
    <message>
        <source>No key combination starts a capture now.</source>
        <translation>Agora nenhuma combinação de teclas inicia uma captura.</translation>
    </message>
    <message>
        <source>A capture still starts with %1.</source>
        <translation>Uma captura continua sendo iniciada com %1.</translation>
    </message>
    <message>
        <source>No key combination stops the recording now.</source>
        <translation>Agora nenhuma combinação de teclas para a gravação.</translation>
    </message>
    <message>
        <source>The recording still stops with %1.</source>
        <translation>A gravação continua sendo parada com %1.</translation>
    </message>
</context>
<context>
    <name>ShortcutEdit</name>
    <message>
        <source>%1 would be taken from every program: add Ctrl, Alt or Super.</source>
        <translation>%1 seria retirada de todos os programas: adicione Ctrl, Alt ou Super.</translation>
    </message>
    <message>
        <source>This key cannot be a shortcut.</source>
        <translation>Esta tecla não pode ser um atalho.</translation>
    </message>
</context>
<context>
    <name>ShortcutDialog</name>
    <message>
        <source>%1 is taken by another program (the window manager?). Choose another combination.</source>
        <translation>Outro programa já está usando %1 (o gerenciador de janelas?). Escolha outra combinação.</translation>
    </message>
    <message>
        <source>Use %1</source>
        <translation>Usar %1</translation>
    </message>
    <message>
        <source>This desktop keeps key combinations for itself. Bind them in the desktop's keyboard settings to the commands clipnest --capture and clipnest --stop.</source>
        <translation>Esta área de trabalho reserva as combinações de teclas para si. Associe-as nas configurações de teclado da área de trabalho aos comandos clipnest --capture e clipnest --stop.</translation>
    </message>
    <message>
        <source>%1 is already the other shortcut.</source>
        <translation>%1 já é o outro atalho.</translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Atalhos de teclado</translation>
    </message>
    <message>
        <source>Start a capture:</source>
        <translation>Iniciar uma captura:</translation>
    </message>
    <message>
        <source>Stop the recording:</source>
        <translation>Parar a gravação:</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Nenhum</translation>
    </message>
    <message>
        <source>Click a field and press the new key combination. Backspace leaves none.</source>
        <translation>Clique em um campo e pressione a nova combinação de teclas. Backspace a deixa vazia.</translation>
    </message>
    <message>
        <source>Some desktops keep key combinations for themselves. There, bind one in the desktop's keyboard settings to the command: clipnest --capture</source>
        <translation>Algumas áreas de trabalho reservam certas combinações de teclas para si. Nelas, associe uma nas configurações de teclado da área de trabalho ao comando: clipnest --capture</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
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
        <translation>Compartilhar no Reddit</translation>
    </message>
    <message>
        <source>Whole screen</source>
        <translation>Tela inteira</translation>
    </message>
    <message>
        <source>Use the last area</source>
        <translation>Usar a última área</translation>
    </message>
    <message>
        <source>Enter to use the last area</source>
        <translation>Enter para usar a última área</translation>
    </message>
    <message>
        <source>Click to type an exact size and position, such as 1280x720 at 100,200</source>
        <translation>Clique para digitar um tamanho e uma posição exatos, como 1280x720 at 100,200</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>Em pausa</translation>
    </message>
    <message>
        <source>Screen sharing</source>
        <translation>Compartilhamento de tela</translation>
    </message>
    <message>
        <source>This desktop records one monitor at a time. Select an area that lies on one monitor.</source>
        <translation>Esta área de trabalho grava um monitor por vez. Selecione uma área que fique em um só monitor.</translation>
    </message>
    <message>
        <source>Recording finished</source>
        <translation>Gravação concluída</translation>
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
        <translation>Erro</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Gravar</translation>
    </message>
    <message>
        <source>Record with sound</source>
        <translation>Gravar com som</translation>
    </message>
    <message>
        <source>Save video to computer</source>
        <translation>Salvar o vídeo no computador</translation>
    </message>
    <message>
        <source>Select the area</source>
        <translation>Selecione a área</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>Compartilhar</translation>
    </message>
    <message>
        <source>Share to facebook</source>
        <translation>Compartilhar no Facebook</translation>
    </message>
    <message>
        <source>Share to google+</source>
        <translation>Compartilhar no Google+</translation>
    </message>
    <message>
        <source>Share to twitter</source>
        <translation>Compartilhar no Twitter</translation>
    </message>
    <message>
        <source>Stop recording</source>
        <translation>Parar gravação</translation>
    </message>
    <message>
        <source>Finishing the video…</source>
        <translation>Finalizando o vídeo…</translation>
    </message>
    <message>
        <source>Upload video to server</source>
        <translation>Enviar o vídeo para o servidor</translation>
    </message>
    <message>
        <source>Can not create the folder for the recording %1: %2</source>
        <translation>Não é possível criar a pasta da gravação %1: %2</translation>
    </message>
    <message>
        <source>Can not use the folder for the recording %1: %2</source>
        <translation>Não é possível usar a pasta da gravação %1: %2</translation>
    </message>
    <message>
        <source>The folder for the recording %1 is not a private folder of yours. Remove it and try again.</source>
        <translation>A pasta da gravação %1 não é uma pasta privada sua. Remova-a e tente novamente.</translation>
    </message>
    <message>
        <source>Can not remove %1, which is in the way of the recording: %2</source>
        <translation>Não é possível remover %1, que impede a criação da gravação: %2</translation>
    </message>
    <message>
        <source>Pause recording</source>
        <translation>Pausar gravação</translation>
    </message>
    <message>
        <source>Resume recording</source>
        <translation>Retomar gravação</translation>
    </message>
    <message>
        <source>Can not open file</source>
        <translation>Não foi possível abrir o arquivo</translation>
    </message>
    <message>
        <source>Share error</source>
        <translation>Erro ao compartilhar</translation>
    </message>
    <message>
        <source>Upload error</source>
        <translation>Erro no envio</translation>
    </message>
</context>
<context>
    <name>Encoder</name>
    <message>
        <source>The file %1 cannot be read as a video: %2.</source>
        <translation>O arquivo %1 não pode ser lido como vídeo: %2.</translation>
    </message>
    <message>
        <source>The file %1 holds nothing that can be played.</source>
        <translation>O arquivo %1 não contém nada que possa ser reproduzido.</translation>
    </message>
    <message>
        <source>The recording %1 cannot be read.</source>
        <translation>Não é possível ler a gravação %1.</translation>
    </message>
    <message>
        <source>Out of memory: there is no room for the screen pictures.</source>
        <translation>Memória esgotada: não há espaço para as imagens da tela.</translation>
    </message>
    <message>
        <source>Out of memory: a screen picture could not be stored.</source>
        <translation>Memória esgotada: não foi possível armazenar uma imagem da tela.</translation>
    </message>
    <message>
        <source>Out of memory: a screen picture could not be repeated.</source>
        <translation>Memória esgotada: não foi possível repetir uma imagem da tela.</translation>
    </message>
    <message>
        <source>Out of memory: a coded picture could not be kept.</source>
        <translation>Memória esgotada: não foi possível manter uma imagem codificada.</translation>
    </message>
    <message>
        <source>The sound encoder failed while finishing: %1.</source>
        <translation>O codificador de som falhou ao terminar: %1.</translation>
    </message>
    <message>
        <source>Cannot convert the screen pictures for the encoder.</source>
        <translation>Não é possível converter as imagens da tela para o codificador.</translation>
    </message>
    <message>
        <source>Out of memory.</source>
        <translation>Memória esgotada.</translation>
    </message>
    <message>
        <source>Cannot read back the recording %1: %2.</source>
        <translation>Não é possível reler a gravação %1: %2.</translation>
    </message>
    <message>
        <source>The MP4 writer is not available.</source>
        <translation>O módulo de escrita de MP4 não está disponível.</translation>
    </message>
    <message>
        <source>Cannot copy the streams of %1.</source>
        <translation>Não é possível copiar as trilhas de %1.</translation>
    </message>
    <message>
        <source>The disk is full (%1): the recording %2 was kept as it was recorded, which most players play but browsers may not seek.</source>
        <translation>O disco está cheio (%1): a gravação %2 foi mantida como foi gravada; a maioria dos players consegue reproduzi-la, mas os navegadores talvez não consigam avançar nela.</translation>
    </message>
    <message>
        <source>Finishing the recording %1 failed: %2. The file was kept as it was recorded.</source>
        <translation>Não foi possível concluir a gravação %1: %2. O arquivo foi mantido como foi gravado.</translation>
    </message>
    <message>
        <source>Cannot replace %1 with the finished recording: %2.</source>
        <translation>Não é possível substituir %1 pela gravação concluída: %2.</translation>
    </message>
    <message>
        <source>The disk is full (%1): the recording stopped. The file %2 keeps what was recorded so far; free some space before recording again.</source>
        <translation>O disco está cheio (%1): a gravação parou. O arquivo %2 mantém o que foi gravado até agora; libere espaço antes de gravar novamente.</translation>
    </message>
    <message>
        <source>Writing the video file %1 failed: %2. The recording stopped.</source>
        <translation>Não foi possível gravar o arquivo de vídeo %1: %2. A gravação parou.</translation>
    </message>
    <message>
        <source>Cannot create the video file %1: %2. Check that the folder %3 exists and that you may write to it.</source>
        <translation>Não é possível criar o arquivo de vídeo %1: %2. Verifique se a pasta %3 existe e se você pode gravar nela.</translation>
    </message>
    <message>
        <source>Cannot start the MP4 file: %1.</source>
        <translation>Não é possível iniciar o arquivo MP4: %1.</translation>
    </message>
    <message>
        <source>The H.264 encoder (libx264) is not available.</source>
        <translation>O codificador H.264 (libx264) não está disponível.</translation>
    </message>
    <message>
        <source>The H.264 encoder refused the settings: %1.</source>
        <translation>O codificador H.264 recusou as configurações: %1.</translation>
    </message>
    <message>
        <source>Cannot add the picture to the MP4 file.</source>
        <translation>Não é possível adicionar a imagem ao arquivo MP4.</translation>
    </message>
    <message>
        <source>The sound encoder (%1) is not available.</source>
        <translation>O codificador de som (%1) não está disponível.</translation>
    </message>
    <message>
        <source>Sound with %1 channels cannot be encoded; use 1 or 2.</source>
        <translation>Não é possível codificar som com %1 canais; use 1 ou 2.</translation>
    </message>
    <message>
        <source>The sound is read at %1 Hz but should be encoded at %2 Hz; use the same rate for both.</source>
        <translation>O som é lido a %1 Hz, mas deveria ser codificado a %2 Hz; use a mesma taxa para ambos.</translation>
    </message>
    <message>
        <source>The sound encoder refused the settings: %1.</source>
        <translation>O codificador de som recusou as configurações: %1.</translation>
    </message>
    <message>
        <source>Cannot add the sound to the MP4 file.</source>
        <translation>Não é possível adicionar o som ao arquivo MP4.</translation>
    </message>
    <message>
        <source>Cannot convert the sound for the encoder: %1.</source>
        <translation>Não é possível converter o som para o codificador: %1.</translation>
    </message>
    <message>
        <source>Encoding failed: %1.</source>
        <translation>A codificação falhou: %1.</translation>
    </message>
    <message>
        <source>The H.264 encoder failed: %1.</source>
        <translation>O codificador H.264 falhou: %1.</translation>
    </message>
    <message>
        <source>Converting the sound failed.</source>
        <translation>A conversão do som falhou.</translation>
    </message>
    <message>
        <source>The sound encoder failed: %1.</source>
        <translation>O codificador de som falhou: %1.</translation>
    </message>
    <message>
        <source>Mixing the sound inputs failed.</source>
        <translation>A mixagem das entradas de som falhou.</translation>
    </message>
</context>
<context>
    <name>HistoryWidget</name>
    <message>
        <source>Remove from history</source>
        <translation>Remover do histórico</translation>
    </message>
    <message>
        <source>Remove this link from the history? The video stays on the service: anyone who has the link can still watch it.</source>
        <translation>Remover este link do histórico? O vídeo continua no serviço: quem tiver o link ainda pode assistir.</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Remover</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Histórico</translation>
    </message>
    <message>
        <source>There are no items</source>
        <translation>Não há itens</translation>
    </message>
</context>
<context>
    <name>HistoryWidgetItem</name>
    <message>
        <source>Save the video</source>
        <translation>Salvar o vídeo</translation>
    </message>
    <message>
        <source>Open the folder of the video</source>
        <translation>Abrir a pasta do vídeo</translation>
    </message>
    <message>
        <source>Remove from history (the video stays on the service)</source>
        <translation>Remover do histórico (o vídeo continua no serviço)</translation>
    </message>
    <message>
        <source>Recorded %1, uploaded %2</source>
        <translation>Gravado em %1, enviado em %2</translation>
    </message>
    <message>
        <source>Uploaded %1</source>
        <translation>Enviado em %1</translation>
    </message>
    <message>
        <source>Copy to clipboard</source>
        <translation>Copiar para a área de transferência</translation>
    </message>
    <message>
        <source>Open link in browser</source>
        <translation>Abrir o link no navegador</translation>
    </message>
    <message>
        <source>Remove record</source>
        <translation>Remover do histórico</translation>
    </message>
</context>
<context>
    <name>HistoryRecordingItem</name>
    <message>
        <source>waiting to retry (next try in %1)</source>
        <translation>aguardando nova tentativa (próxima em %1)</translation>
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
        <translation>aguardando envio</translation>
    </message>
    <message>
        <source>The last try failed: %1</source>
        <translation>A última tentativa falhou: %1</translation>
    </message>
    <message>
        <source>Retry now</source>
        <translation>Tentar de novo agora</translation>
    </message>
    <message>
        <source>not uploaded</source>
        <translation>não enviada</translation>
    </message>
    <message>
        <source>upload failed: %1</source>
        <translation>falha no envio: %1</translation>
    </message>
    <message>
        <source>uploading</source>
        <translation>enviando</translation>
    </message>
    <message>
        <source>recovered</source>
        <translation>recuperada</translation>
    </message>
    <message>
        <source>recording</source>
        <translation>gravando</translation>
    </message>
    <message>
        <source>Upload again</source>
        <translation>Enviar novamente</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Salvar</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Excluir</translation>
    </message>
</context>
<context>
    <name>StartupRecovery</name>
    <message>
        <source>The recording %1 left by an earlier version of Clipnest could not be moved to the recordings: %2</source>
        <translation>A gravação %1 deixada por uma versão anterior do Clipnest não pôde ser movida para as gravações: %2</translation>
    </message>
    <message>
        <source>A recording cut short when Clipnest last ended could not be recovered: %1 The file was kept; you can delete it in the history.</source>
        <translation>Não foi possível recuperar uma gravação interrompida na última vez que o Clipnest foi encerrado: %1 O arquivo foi mantido; você pode excluí-lo no histórico.</translation>
    </message>
</context>
<context>
    <name>HttpUploader</name>
    <message>
        <source>The upload service at %1 took the video but did not finish its answer within %2 seconds. Please try again later.</source>
        <translation>O serviço de envio em %1 recebeu o vídeo, mas não terminou de responder em %2 segundos. Tente novamente mais tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link that has characters no link holds (such as spaces, quotes or angle brackets); it was not used.</source>
        <translation>O serviço de envio em %1 respondeu com um link que tem caracteres que nenhum link contém (como espaços, aspas ou sinais &lt; &gt;); ele não foi usado.</translation>
    </message>
    <message>
        <source>the service's certificate or encryption was not accepted</source>
        <translation>o certificado ou a criptografia do serviço não foi aceito</translation>
    </message>
    <message>
        <source>the upload was cancelled</source>
        <translation>o envio foi cancelado</translation>
    </message>
    <message>
        <source>access was denied</source>
        <translation>o acesso foi negado</translation>
    </message>
    <message>
        <source>the address is not on the service</source>
        <translation>o endereço não existe no serviço</translation>
    </message>
    <message>
        <source>the service's answer could not be understood</source>
        <translation>não foi possível entender a resposta do serviço</translation>
    </message>
    <message>
        <source>the network reported a failure</source>
        <translation>a rede informou uma falha</translation>
    </message>
    <message>
        <source>the program's settings</source>
        <translation>as configurações do programa</translation>
    </message>
    <message>
        <source>The upload service at %1 points to another address: %2. Uploads are not sent on; if that is the right service, put its address in the "Service host" setting in %3.</source>
        <translation>O serviço de envio em %1 aponta para outro endereço: %2. Os envios não são repassados; se esse for o serviço certo, coloque o endereço dele na configuração "Service host" em %3.</translation>
    </message>
    <message>
        <source>The upload service at %1 points to another address without naming it (status %2). Check the "Service host" setting in %3.</source>
        <translation>O serviço de envio em %1 aponta para outro endereço sem dizer qual (status %2). Verifique a configuração "Service host" em %3.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered: %2</source>
        <translation>O serviço de envio em %1 respondeu: %2</translation>
    </message>
    <message>
        <source>The upload service at %1 has a problem (status %2). Please try again later.</source>
        <translation>O serviço de envio em %1 está com um problema (status %2). Tente novamente mais tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 is busy. Please try again later.</source>
        <translation>O serviço de envio em %1 está ocupado. Tente novamente mais tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 gave up waiting for the video. Please try again later.</source>
        <translation>O serviço de envio em %1 desistiu de esperar pelo vídeo. Tente novamente mais tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 wants an access token. Put it in the "Service token" setting in %2.</source>
        <translation>O serviço de envio em %1 exige um token de acesso. Coloque-o na configuração "Service token" em %2.</translation>
    </message>
    <message>
        <source>The upload service at %1 refused the video (status %2).</source>
        <translation>O serviço de envio em %1 recusou o vídeo (status %2).</translation>
    </message>
    <message>
        <source>The upload service at %1 does not answer. Is it running? The address is the "Service host" setting in %2.</source>
        <translation>O serviço de envio em %1 não responde. Ele está em execução? O endereço é a configuração "Service host" em %2.</translation>
    </message>
    <message>
        <source>The host of the upload service at %1 is not known. Check the network connection and the "Service host" setting in %2.</source>
        <translation>O servidor do serviço de envio em %1 não é conhecido. Verifique a conexão de rede e a configuração "Service host" em %2.</translation>
    </message>
    <message>
        <source>The upload service at %1 closed the connection before it answered. Please try again later.</source>
        <translation>O serviço de envio em %1 fechou a conexão antes de responder. Tente novamente mais tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 took too long to answer. Please try again later.</source>
        <translation>O serviço de envio em %1 demorou demais para responder. Tente novamente mais tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 cannot be reached. Check the network connection and try again later.</source>
        <translation>Não é possível conectar ao serviço de envio em %1. Verifique a conexão de rede e tente novamente mais tarde.</translation>
    </message>
    <message>
        <source>The secure connection to the upload service at %1 failed: %2</source>
        <translation>A conexão segura com o serviço de envio em %1 falhou: %2</translation>
    </message>
    <message>
        <source>The upload to %1 failed: %2</source>
        <translation>O envio para %1 falhou: %2</translation>
    </message>
    <message>
        <source>The upload service at %1 answered without a link.</source>
        <translation>O serviço de envio em %1 respondeu sem um link.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with something that is not a link.</source>
        <translation>O serviço de envio em %1 respondeu com algo que não é um link.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link that has spaces or control characters in it; it was not used.</source>
        <translation>O serviço de envio em %1 respondeu com um link que contém espaços ou caracteres de controle; ele não foi usado.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link longer than %2 bytes; it was not used.</source>
        <translation>O serviço de envio em %1 respondeu com um link de mais de %2 bytes; ele não foi usado.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link without a host name; it was not used.</source>
        <translation>O serviço de envio em %1 respondeu com um link sem nome de servidor; ele não foi usado.</translation>
    </message>
    <message>
        <source>The upload service at %1 stopped answering for %2 seconds. Please try again later.</source>
        <translation>O serviço de envio em %1 parou de responder por %2 segundos. Tente novamente mais tarde.</translation>
    </message>
    <message>
        <source>The upload service at %1 sent an answer too long to be a link.</source>
        <translation>O serviço de envio em %1 enviou uma resposta longa demais para ser um link.</translation>
    </message>
    <message>
        <source>The upload address "%1" is not usable. Check the "Service host" setting.</source>
        <translation>O endereço de envio "%1" não pode ser usado. Verifique a configuração "Service host".</translation>
    </message>
    <message>
        <source>The "Service token" setting in %1 holds characters a token cannot have: only letters, digits and visible punctuation, without spaces.</source>
        <translation>A configuração "Service token" em %1 contém caracteres que um token não pode ter: apenas letras, dígitos e pontuação visível, sem espaços.</translation>
    </message>
    <message>
        <source>There is no video to upload.</source>
        <translation>Não há nenhum vídeo para enviar.</translation>
    </message>
</context>
<context>
    <name>ProgressWidget</name>
    <message>
        <source>Loading, please wait...</source>
        <translation>Enviando, aguarde um momento...</translation>
    </message>
</context>
<context>
    <name>Recorder</name>
    <message>
        <source>Finishing the recording %1 failed. The file was kept as it was recorded.</source>
        <translation>Não foi possível finalizar a gravação %1. O arquivo foi mantido como foi gravado.</translation>
    </message>
    <message>
        <source>The recording %1 is still being finished; record into another file.</source>
        <translation>A gravação %1 ainda está sendo finalizada; grave em outro arquivo.</translation>
    </message>
    <message>
        <source>A recording is already under way; stop it before starting another one.</source>
        <translation>Já há uma gravação em andamento; pare-a antes de começar outra.</translation>
    </message>
    <message>
        <source>No screen grabber is set.</source>
        <translation>Nenhum capturador de tela foi definido.</translation>
    </message>
    <message>
        <source>No sound grabber is set.</source>
        <translation>Nenhum capturador de som foi definido.</translation>
    </message>
    <message>
        <source>Video codec %1 is not available; use H.264.</source>
        <translation>O codec de vídeo %1 não está disponível; use H.264.</translation>
    </message>
    <message>
        <source>Pixel format %1 is not available; use YUV 4:2:0.</source>
        <translation>O formato de pixel %1 não está disponível; use YUV 4:2:0.</translation>
    </message>
    <message>
        <source>Audio codec %1 is not available; use MP3 or AAC.</source>
        <translation>O codec de áudio %1 não está disponível; use MP3 ou AAC.</translation>
    </message>
    <message>
        <source>Sample format %1 is not the sound grabber's; leave it to the encoder.</source>
        <translation>O formato de amostra %1 não é o do capturador de som; deixe o codificador escolher.</translation>
    </message>
    <message>
        <source>No file to record into is set.</source>
        <translation>Nenhum arquivo para gravar foi definido.</translation>
    </message>
    <message>
        <source>The area to record is empty (%1 x %2 pixels). Select an area of at least 1 x 1 pixel.</source>
        <translation>A área a gravar está vazia (%1 x %2 pixels). Selecione uma área de pelo menos 1 x 1 pixel.</translation>
    </message>
    <message>
        <source>The sound stopped: %1 The recording goes on, silent until the sound comes back.</source>
        <translation>O som parou: %1 A gravação continua, em silêncio até o som voltar.</translation>
    </message>
</context>
<context>
    <name>RecordingSaver</name>
    <message>
        <source>Can not read the recording %1.</source>
        <translation>Não é possível ler a gravação %1.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: there is no such folder.</source>
        <translation>Não é possível salvar a gravação como %1: essa pasta não existe.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: you may not write to that folder.</source>
        <translation>Não é possível salvar a gravação como %1: você não tem permissão para escrever nessa pasta.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: that disk can only be read.</source>
        <translation>Não é possível salvar a gravação como %1: esse disco é somente leitura.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: the disk is full.</source>
        <translation>Não é possível salvar a gravação como %1: o disco está cheio.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: that is a folder.</source>
        <translation>Não é possível salvar a gravação como %1: isso é uma pasta.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: the name is too long.</source>
        <translation>Não é possível salvar a gravação como %1: o nome é longo demais.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1.</source>
        <translation>Não é possível salvar a gravação como %1.</translation>
    </message>
    <message>
        <source>%1 is the recording itself.</source>
        <translation>%1 é a própria gravação.</translation>
    </message>
    <message>
        <source>Can not read the recording %1: %2</source>
        <translation>Não é possível ler a gravação %1: %2</translation>
    </message>
    <message>
        <source>Can not save the recording to %1: %2</source>
        <translation>Não é possível salvar a gravação em %1: %2</translation>
    </message>
    <message>
        <source>Saving to %1 was cancelled.</source>
        <translation>O salvamento em %1 foi cancelado.</translation>
    </message>
    <message>
        <source>The recording %1 is not there any more.</source>
        <translation>A gravação %1 não existe mais.</translation>
    </message>
</context>
<context>
    <name>RecordingStore</name>
    <message>
        <source>%1 is not one of the recordings in %2.</source>
        <translation>%1 não é uma das gravações de %2.</translation>
    </message>
    <message>
        <source>Can not create the folder for recordings %1: %2</source>
        <translation>Não é possível criar a pasta de gravações %1: %2</translation>
    </message>
    <message>
        <source>Can not create the recording file %1: %2</source>
        <translation>Não é possível criar o arquivo de gravação %1: %2</translation>
    </message>
    <message>
        <source>Can not delete the recording %1: %2</source>
        <translation>Não é possível excluir a gravação %1: %2</translation>
    </message>
    <message>
        <source>Can not find a free name for a new recording in %1.</source>
        <translation>Não foi encontrado um nome livre para uma nova gravação em %1.</translation>
    </message>
    <message>
        <source>Can not remove %1, which is in the way of the recording: %2</source>
        <translation>Não é possível remover %1, que impede a gravação: %2</translation>
    </message>
    <message>
        <source>Can not use the folder for recordings %1: %2</source>
        <translation>Não é possível usar a pasta de gravações %1: %2</translation>
    </message>
    <message>
        <source>Only %1 is free for recordings in %2. A long recording may not fit.</source>
        <translation>Restam apenas %1 livres para gravações em %2. Uma gravação longa pode não caber.</translation>
    </message>
    <message>
        <source>Only %1 is free for recordings in %2. Free some space there and try again.</source>
        <translation>Restam apenas %1 livres para gravações em %2. Libere espaço ali e tente novamente.</translation>
    </message>
    <message>
        <source>The folder for recordings %1 is not a private folder of yours. Remove it and try again.</source>
        <translation>A pasta de gravações %1 não é uma pasta privada sua. Remova-a e tente novamente.</translation>
    </message>
    <message>
        <source>What became of each recording could not be written to %1: %2</source>
        <translation>Não foi possível gravar o estado das gravações em %1: %2</translation>
    </message>
</context>
<context>
    <name>UploadQueue</name>
    <message>
        <source>the file is missing</source>
        <translation>o arquivo não existe</translation>
    </message>
    <message>
        <source>Can not read the recording %1: %2</source>
        <translation>Não é possível ler a gravação %1: %2</translation>
    </message>
    <message>
        <source>The pending uploads could not be read from %1: %2</source>
        <translation>Não foi possível ler os envios pendentes de %1: %2</translation>
    </message>
    <message>
        <source>The pending uploads could not be written to %1: %2</source>
        <translation>Não foi possível gravar os envios pendentes em %1: %2</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>o arquivo está vazio</translation>
    </message>
    <message>
        <source>Service temporarily not working. Please try again later</source>
        <translation>O serviço está temporariamente indisponível. Tente novamente mais tarde</translation>
    </message>
</context>
<context>
    <name>RecordingSession</name>
    <message>
        <source>A recording is already under way. Stop it before starting another one.</source>
        <translation>Já há uma gravação em andamento. Pare-a antes de começar outra.</translation>
    </message>
    <message>
        <source>Audio capture error</source>
        <translation>Erro de captura de áudio</translation>
    </message>
    <message>
        <source>Encoder error</source>
        <translation>Erro do codificador</translation>
    </message>
</context>
<context>
    <name>SnapshotButton</name>
    <message>
        <source>Press to record video</source>
        <translation>Clique para gravar um vídeo</translation>
    </message>
    <message>
        <source>Show/hide record button</source>
        <translation>Mostrar/ocultar o botão de gravação</translation>
    </message>
</context>
<context>
    <name>UploadController</name>
    <message>
        <source>The upload service address "%1" is not usable. Put a host name (host:port) or an http:// or https:// address under "%2" in the settings.</source>
        <translation>O endereço do serviço de envio "%1" não pode ser usado. Coloque um nome de host (host:porta) ou um endereço http:// ou https:// em "%2" nas configurações.</translation>
    </message>
    <message>
        <source>Service address</source>
        <translation>Endereço do serviço</translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation>Configurações...</translation>
    </message>
    <message>
        <source>Video uploaded</source>
        <translation>Vídeo enviado</translation>
    </message>
    <message>
        <source>The link to your video is ready: %1</source>
        <translation>O link do seu vídeo está pronto: %1</translation>
    </message>
    <message>
        <source>Copy link</source>
        <translation>Copiar link</translation>
    </message>
    <message>
        <source>Service temporarily not working. Please try again later</source>
        <translation>O serviço está temporariamente indisponível. Tente novamente mais tarde</translation>
    </message>
    <message>
        <source>The upload service address "%1" is not usable. Put a host name (host:port) or an http:// or https:// address under "%2" in %3.</source>
        <translation>O endereço do serviço de envio "%1" não pode ser usado. Coloque um nome de host (host:porta) ou um endereço http:// ou https:// em "%2" no arquivo %3.</translation>
    </message>
    <message>
        <source>Upload error</source>
        <translation>Erro no envio</translation>
    </message>
    <message>
        <source>The recording %1 holds no video that can be read; it was not uploaded.</source>
        <translation>A gravação %1 não contém nenhum vídeo legível; não foi enviada.</translation>
    </message>
    <message>
        <source>The recording %1 is not there any more.</source>
        <translation>A gravação %1 não existe mais.</translation>
    </message>
    <message>
        <source>The recording is kept, and Clipnest tries again by itself.</source>
        <translation>A gravação foi mantida e o Clipnest tenta de novo sozinho.</translation>
    </message>
    <message>
        <source>A recording could not be uploaded: %1</source>
        <translation>Não foi possível enviar uma gravação: %1</translation>
    </message>
    <message>
        <source>Video link copied to clipboard</source>
        <translation>Link do vídeo copiado para a área de transferência</translation>
    </message>
</context>
<context>
    <name>ScreenGrabber</name>
    <message>
        <source>The area to record is empty (%1 x %2 pixels). Select an area of at least 1 x 1 pixel.</source>
        <translation>A área a gravar está vazia (%1 x %2 pixels). Selecione uma área de pelo menos 1 x 1 pixel.</translation>
    </message>
    <message>
        <source>Cannot reserve shared memory for the screen pictures: %1.</source>
        <translation>Não é possível reservar memória compartilhada para as imagens da tela: %1.</translation>
    </message>
    <message>
        <source>Cannot map shared memory for the screen pictures: %1.</source>
        <translation>Não é possível mapear a memória compartilhada para as imagens da tela: %1.</translation>
    </message>
    <message>
        <source>The X server cannot share memory with this program (error %1). Screen recording needs a local X display.</source>
        <translation>O servidor X não consegue compartilhar memória com este programa (erro %1). A gravação da tela precisa de um display X local.</translation>
    </message>
    <message>
        <source>The connection to the X display was lost.</source>
        <translation>A conexão com o display X foi perdida.</translation>
    </message>
    <message>
        <source>The screen is now %1 x %2 pixels; the recorded area (%3 x %4 at %5, %6) no longer fits on it.</source>
        <translation>A tela agora tem %1 x %2 pixels; a área gravada (%3 x %4 em %5, %6) não cabe mais nela.</translation>
    </message>
    <message>
        <source>The X server refused to hand over the screen picture (error %1).</source>
        <translation>O servidor X se recusou a entregar a imagem da tela (erro %1).</translation>
    </message>
    <message>
        <source>No X display is set (DISPLAY is empty), so the screen cannot be recorded.</source>
        <translation>Nenhum display X foi definido (DISPLAY está vazia), então a tela não pode ser gravada.</translation>
    </message>
    <message>
        <source>Cannot connect to the X display "%1", so the screen cannot be recorded. Check that the X server is running.</source>
        <translation>Não é possível conectar ao display X "%1", então a tela não pode ser gravada. Verifique se o servidor X está em execução.</translation>
    </message>
    <message>
        <source>The X display %1 has no screen %2.</source>
        <translation>O display X %1 não tem a tela %2.</translation>
    </message>
    <message>
        <source>The X display "%1" cannot share memory with programs (no MIT-SHM), which screen recording needs.</source>
        <translation>O display X "%1" não consegue compartilhar memória com programas (sem MIT-SHM), o que a gravação da tela exige.</translation>
    </message>
    <message>
        <source>The screen uses %1 bits per pixel; only 32-bit screens can be recorded.</source>
        <translation>A tela usa %1 bits por pixel; só telas de 32 bits podem ser gravadas.</translation>
    </message>
    <message>
        <source>The area to record (%1 x %2 at %3, %4) does not lie on the screen of %5 x %6 pixels.</source>
        <translation>A área a gravar (%1 x %2 em %3, %4) não está dentro da tela de %5 x %6 pixels.</translation>
    </message>
    <message>
        <source>The connection to PipeWire was lost: %1</source>
        <translation>A conexão com o PipeWire foi perdida: %1</translation>
    </message>
    <message>
        <source>The screen sharing was ended.</source>
        <translation>O compartilhamento da tela foi encerrado.</translation>
    </message>
    <message>
        <source>The screen sharing failed: %1</source>
        <translation>O compartilhamento da tela falhou: %1</translation>
    </message>
    <message>
        <source>The screen sharing offers its pictures in a form this program cannot read.</source>
        <translation>O compartilhamento da tela oferece suas imagens em um formato que este programa não consegue ler.</translation>
    </message>
    <message>
        <source>Cannot start PipeWire, which brings the shared screen.</source>
        <translation>Não é possível iniciar o PipeWire, que traz a tela compartilhada.</translation>
    </message>
    <message>
        <source>Cannot connect to the shared screen through PipeWire: %1</source>
        <translation>Não é possível conectar à tela compartilhada pelo PipeWire: %1</translation>
    </message>
    <message>
        <source>The screen sharing sent no picture format within %1 seconds.</source>
        <translation>O compartilhamento da tela não enviou nenhum formato de imagem em %1 segundos.</translation>
    </message>
    <message>
        <source>The shared screen is %1 x %2 pixels; the area to record (%3 x %4 at %5, %6) does not lie on it.</source>
        <translation>A tela compartilhada tem %1 x %2 pixels; a área a gravar (%3 x %4 em %5, %6) não está dentro dela.</translation>
    </message>
    <message>
        <source>The screen sharing sends its pictures in memory this program cannot read.</source>
        <translation>O compartilhamento da tela envia suas imagens em uma memória que este programa não consegue ler.</translation>
    </message>
    <message>
        <source>The screen sharing sent no picture within %1 milliseconds.</source>
        <translation>O compartilhamento da tela não enviou nenhuma imagem em %1 milissegundos.</translation>
    </message>
</context>
<context>
    <name>AudioGrabber</name>
    <message>
        <source>Cannot start the sound connection.</source>
        <translation>Não é possível iniciar a conexão de som.</translation>
    </message>
    <message>
        <source>Cannot reach the sound server (%1), so the microphone cannot be recorded. Check that PulseAudio is running, or record without sound.</source>
        <translation>Não é possível alcançar o servidor de som (%1), então o microfone não pode ser gravado. Verifique se o PulseAudio está em execução ou grave sem som.</translation>
    </message>
    <message>
        <source>There is no sound source number %1 (%2). Connect a microphone, or record without sound.</source>
        <translation>Não existe a fonte de som número %1 (%2). Conecte um microfone ou grave sem som.</translation>
    </message>
    <message>
        <source>There is no microphone to record from (%1). Connect one, or record without sound.</source>
        <translation>Não há nenhum microfone para gravar (%1). Conecte um ou grave sem som.</translation>
    </message>
    <message>
        <source>The microphone cannot be opened: %1. Record without sound, or check the sound settings.</source>
        <translation>Não é possível abrir o microfone: %1. Grave sem som ou verifique as configurações de som.</translation>
    </message>
    <message>
        <source>The connection to the sound server was lost (%1).</source>
        <translation>A conexão com o servidor de som foi perdida (%1).</translation>
    </message>
    <message>
        <source>The microphone went away (%1).</source>
        <translation>O microfone foi desconectado (%1).</translation>
    </message>
    <message>
        <source>The sound sample format %1 is not supported.</source>
        <translation>O formato de amostra de som %1 não é suportado.</translation>
    </message>
    <message>
        <source>The sound format (%1 Hz, %2 channels) is not supported.</source>
        <translation>O formato de som (%1 Hz, %2 canais) não é suportado.</translation>
    </message>
    <message>
        <source>The computer's sound cannot be recorded: %1. Record the microphone instead, or record without sound.</source>
        <translation>Não é possível gravar o som do computador: %1. Grave o microfone em vez disso ou grave sem som.</translation>
    </message>
    <message>
        <source>The computer's sound went away (%1).</source>
        <translation>O som do computador deixou de estar disponível (%1).</translation>
    </message>
</context>
<context>
    <name>SoundSourceMenu</name>
    <message>
        <source>Microphone</source>
        <translation>Microfone</translation>
    </message>
    <message>
        <source>Computer sound</source>
        <translation>Som do computador</translation>
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
        <translation>Não foi possível gravar o histórico de envios em %1. Verifique se a pasta existe e se você pode gravar nela.</translation>
    </message>
</context>
<context>
    <name>SaveRecordingFlow</name>
    <message>
        <source>MP4 video (*.mp4)</source>
        <translation>Vídeo MP4 (*.mp4)</translation>
    </message>
    <message>
        <source>%1 already exists. Do you want to replace it?</source>
        <translation>%1 já existe. Deseja substituí-lo?</translation>
    </message>
    <message>
        <source>The recording was saved as %1.</source>
        <translation>A gravação foi salva como %1.</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Abrir pasta</translation>
    </message>
    <message>
        <source>Can not open the folder %1.</source>
        <translation>Não é possível abrir a pasta %1.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Salvar</translation>
    </message>
    <message>
        <source>Can not save file</source>
        <translation>Não foi possível salvar o arquivo</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Erro</translation>
    </message>
</context>
<context>
    <name>ScreenSharing</name>
    <message>
        <source>Cannot use the screen-sharing connection (%1). Open the capture again.</source>
        <translation>Não é possível usar a conexão de compartilhamento de tela (%1). Abra a captura novamente.</translation>
    </message>
    <message>
        <source>The desktop shared no monitor this program can show. Try again, and choose a whole monitor.</source>
        <translation>A área de trabalho não compartilhou nenhum monitor que este programa possa mostrar. Tente novamente e escolha um monitor inteiro.</translation>
    </message>
    <message>
        <source>The screen is no longer shared with this program. Open the capture again and let the desktop share it.</source>
        <translation>A tela não está mais compartilhada com este programa. Abra a captura novamente e deixe a área de trabalho compartilhá-la.</translation>
    </message>
    <message>
        <source>This desktop offers no screen sharing to programs (%1). Install xdg-desktop-portal and the portal package for your desktop, then try again.</source>
        <translation>Esta área de trabalho não oferece compartilhamento de tela aos programas (%1). Instale o xdg-desktop-portal e o pacote do portal da sua área de trabalho e tente de novo.</translation>
    </message>
    <message>
        <source>it cannot share whole monitors</source>
        <translation>ele não consegue compartilhar monitores inteiros</translation>
    </message>
    <message>
        <source>The desktop's screen sharing made no session. Try again.</source>
        <translation>O compartilhamento de tela da área de trabalho não criou nenhuma sessão. Tente de novo.</translation>
    </message>
    <message>
        <source>The desktop shared no monitor. Try again.</source>
        <translation>A área de trabalho não compartilhou nenhum monitor. Tente de novo.</translation>
    </message>
    <message>
        <source>The desktop's screen sharing gave no connection to the screen. Try again.</source>
        <translation>O compartilhamento de tela da área de trabalho não deu nenhuma conexão com a tela. Tente de novo.</translation>
    </message>
    <message>
        <source>no session bus</source>
        <translation>não há barramento de sessão</translation>
    </message>
    <message>
        <source>Screen sharing was cancelled, so there is nothing to record.</source>
        <translation>O compartilhamento de tela foi cancelado, então não há nada para gravar.</translation>
    </message>
    <message>
        <source>The desktop did not share the screen. Try again, and allow sharing when the desktop asks.</source>
        <translation>A área de trabalho não compartilhou a tela. Tente de novo e permita o compartilhamento quando a área de trabalho perguntar.</translation>
    </message>
    <message>
        <source>The desktop's screen sharing failed (%1). Try again.</source>
        <translation>O compartilhamento de tela da área de trabalho falhou (%1). Tente de novo.</translation>
    </message>
    <message>
        <source>The desktop ended screen sharing before it began. Try again.</source>
        <translation>A área de trabalho encerrou o compartilhamento de tela antes de ele começar. Tente de novo.</translation>
    </message>
</context>
<context>
    <name>TrayRecording</name>
    <message>
        <source>Recording paused. Click to stop it.</source>
        <translation>Gravação pausada. Clique para pará-la.</translation>
    </message>
    <message>
        <source>Recording. Click to stop it.</source>
        <translation>Gravando. Clique para parar a gravação.</translation>
    </message>
</context>
<context>
    <name>GlobalShortcuts</name>
    <message>
        <source>Choose them again under "Keyboard shortcuts..." in the tray menu, or bind clipnest --capture and clipnest --stop in the desktop's keyboard settings.</source>
        <translation>Escolha-os de novo em "Atalhos de teclado..." no menu da bandeja, ou associe clipnest --capture e clipnest --stop nas configurações de teclado da área de trabalho.</translation>
    </message>
    <message>
        <source>The desktop made no place for the program's key combinations. %1</source>
        <translation>A área de trabalho não aceitou as combinações de teclas do programa. %1</translation>
    </message>
    <message>
        <source>The desktop's question about key combinations was closed, so none are bound. %1</source>
        <translation>A pergunta da área de trabalho sobre as combinações de teclas foi fechada, então nenhuma foi associada. %1</translation>
    </message>
    <message>
        <source>The desktop did not bind the key combinations. %1</source>
        <translation>A área de trabalho não associou as combinações de teclas. %1</translation>
    </message>
    <message>
        <source>The desktop's key combinations cannot be reached. %1</source>
        <translation>Não é possível acessar as combinações de teclas da área de trabalho. %1</translation>
    </message>
    <message>
        <source>The desktop's key combinations failed (%1: %2). %3</source>
        <translation>As combinações de teclas da área de trabalho falharam (%1: %2). %3</translation>
    </message>
    <message>
        <source>Start a Clipnest capture</source>
        <translation>Iniciar uma captura do Clipnest</translation>
    </message>
    <message>
        <source>Stop the Clipnest recording</source>
        <translation>Parar a gravação do Clipnest</translation>
    </message>
</context>
<context>
    <name>WebAddress</name>
    <message>
        <source>No web browser could be started to open this address:
%1

Copy it and paste it into a browser.</source>
        <translation>Não foi possível abrir nenhum navegador para este endereço:
%1

Copie-o e cole-o em um navegador.</translation>
    </message>
    <message>
        <source>Copy address</source>
        <translation>Copiar endereço</translation>
    </message>
</context>
<context>
    <name>SystemError</name>
    <message>
        <source>%1 (details: %2)</source>
        <translation>%1 (detalhes: %2)</translation>
    </message>
    <message>
        <source>the file or folder does not exist</source>
        <translation>o arquivo ou a pasta não existe</translation>
    </message>
    <message>
        <source>a part of the path is not a folder</source>
        <translation>uma parte do caminho não é uma pasta</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>permissão negada</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>o disco está cheio</translation>
    </message>
    <message>
        <source>the disk can only be read</source>
        <translation>o disco é somente leitura</translation>
    </message>
    <message>
        <source>that is a folder</source>
        <translation>isso é uma pasta</translation>
    </message>
    <message>
        <source>it already exists</source>
        <translation>já existe</translation>
    </message>
    <message>
        <source>the name is too long</source>
        <translation>o nome é longo demais</translation>
    </message>
    <message>
        <source>too many files are open</source>
        <translation>há arquivos abertos demais</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>memória esgotada</translation>
    </message>
    <message>
        <source>the disk could not be read or written</source>
        <translation>não foi possível ler nem gravar no disco</translation>
    </message>
    <message>
        <source>it is in use</source>
        <translation>está em uso</translation>
    </message>
    <message>
        <source>it is on another disk</source>
        <translation>está em outro disco</translation>
    </message>
    <message>
        <source>the folder is not empty</source>
        <translation>a pasta não está vazia</translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation>o arquivo é grande demais</translation>
    </message>
    <message>
        <source>the path goes round in a circle of links</source>
        <translation>o caminho fica dando voltas em um círculo de links</translation>
    </message>
    <message>
        <source>it took too long</source>
        <translation>demorou demais</translation>
    </message>
    <message>
        <source>the connection was refused</source>
        <translation>a conexão foi recusada</translation>
    </message>
    <message>
        <source>it is busy for now</source>
        <translation>está ocupado no momento</translation>
    </message>
    <message>
        <source>a value was not accepted</source>
        <translation>um valor não foi aceito</translation>
    </message>
    <message>
        <source>the system refused (error %1)</source>
        <translation>o sistema recusou (erro %1)</translation>
    </message>
    <message>
        <source>the file could not be read</source>
        <translation>não foi possível ler o arquivo</translation>
    </message>
    <message>
        <source>the file could not be written</source>
        <translation>não foi possível gravar o arquivo</translation>
    </message>
    <message>
        <source>the system ran out of room (disk space, memory or open files)</source>
        <translation>o sistema ficou sem espaço (disco, memória ou arquivos abertos)</translation>
    </message>
    <message>
        <source>the file could not be removed</source>
        <translation>não foi possível excluir o arquivo</translation>
    </message>
    <message>
        <source>the file could not be renamed</source>
        <translation>não foi possível renomear o arquivo</translation>
    </message>
    <message>
        <source>the operation was cancelled</source>
        <translation>a operação foi cancelada</translation>
    </message>
    <message>
        <source>the file could not be opened</source>
        <translation>não foi possível abrir o arquivo</translation>
    </message>
</context>
<context>
    <name>KeptSpaceGuard</name>
    <message>
        <source>Space for recordings</source>
        <translation>Espaço para gravações</translation>
    </message>
    <message>
        <source>Kept recordings take more than the %1 you allow. Deleting the oldest uploaded ones that were never saved elsewhere (%2 in all, %3) would make room. Delete them from this computer? Their links stay in the history and the videos stay on the service.</source>
        <translation>As gravações guardadas ocupam mais do que os %1 que você permitiu. Apagar as mais antigas já enviadas que nunca foram salvas em outro lugar (%2 no total, %3) liberaria espaço. Apagar do computador? Os links continuam no histórico e os vídeos continuam no serviço.</translation>
    </message>
</context>
<context>
    <name>ConnectionCheck</name>
    <message>
        <source>It answered: %1</source>
        <translation>Respondeu: %1</translation>
    </message>
    <message>
        <source>%1 is reachable and accepts uploads.</source>
        <translation>%1 está acessível e aceita envios.</translation>
    </message>
    <message>
        <source>%1 answers, but it is not an upload service.</source>
        <translation>%1 responde, mas não é um serviço de envio.</translation>
    </message>
    <message>
        <source>%1 refused the token.</source>
        <translation>%1 recusou o token.</translation>
    </message>
    <message>
        <source>%1 needs a token.</source>
        <translation>%1 precisa de um token.</translation>
    </message>
    <message>
        <source>%1 answers, but it is not an upload service (status %2).</source>
        <translation>%1 responde, mas não é um serviço de envio (status %2).</translation>
    </message>
    <message>
        <source>%1 points to another address (status %2): put the service's own address here.</source>
        <translation>%1 aponta para outro endereço (status %2): coloque aqui o endereço do próprio serviço.</translation>
    </message>
    <message>
        <source>%1 is reachable but has a problem now (status %2).</source>
        <translation>%1 está acessível, mas está com um problema agora (status %2).</translation>
    </message>
    <message>
        <source>%1 refused the upload (status %2).</source>
        <translation>%1 recusou o envio (status %2).</translation>
    </message>
    <message>
        <source>no answer within %1 seconds</source>
        <translation>nenhuma resposta em %1 segundos</translation>
    </message>
    <message>
        <source>Cannot connect to %1: %2</source>
        <translation>Não foi possível conectar a %1: %2</translation>
    </message>
    <message>
        <source>"%1" is no service address: write host:port, or an http:// or https:// address.</source>
        <translation>"%1" não é um endereço de serviço: escreva host:porta, ou um endereço http:// ou https://.</translation>
    </message>
    <message>
        <source>A token has only letters, digits and visible punctuation, without spaces.</source>
        <translation>Um token tem só letras, dígitos e sinais de pontuação visíveis, sem espaços.</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>None</source>
        <translation>Nenhum</translation>
    </message>
    <message>
        <source>Clipnest settings</source>
        <translation>Configurações do Clipnest</translation>
    </message>
    <message>
        <source>Upload service</source>
        <translation>Serviço de envio</translation>
    </message>
    <message>
        <source>Service address:</source>
        <translation>Endereço do serviço:</translation>
    </message>
    <message>
        <source>Token:</source>
        <translation>Token:</translation>
    </message>
    <message>
        <source>Test connection</source>
        <translation>Testar a conexão</translation>
    </message>
    <message>
        <source>Upload while recording</source>
        <translation>Enviar enquanto grava</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Som</translation>
    </message>
    <message>
        <source>Record with sound from:</source>
        <translation>Gravar com som de:</translation>
    </message>
    <message>
        <source>Microphone</source>
        <translation>Microfone</translation>
    </message>
    <message>
        <source>Computer sound</source>
        <translation>Som do computador</translation>
    </message>
    <message>
        <source>Both</source>
        <translation>Ambos</translation>
    </message>
    <message>
        <source>Microphone level:</source>
        <translation>Nível do microfone:</translation>
    </message>
    <message>
        <source>Computer sound level:</source>
        <translation>Nível do som do computador:</translation>
    </message>
    <message>
        <source>Recordings</source>
        <translation>Gravações</translation>
    </message>
    <message>
        <source>Save recordings in:</source>
        <translation>Salvar as gravações em:</translation>
    </message>
    <message>
        <source>Choose...</source>
        <translation>Escolher...</translation>
    </message>
    <message>
        <source>Recording and controls</source>
        <translation>Gravação e controles</translation>
    </message>
    <message>
        <source>Show the record button</source>
        <translation>Mostrar o botão de gravação</translation>
    </message>
    <message>
        <source>Start a capture:</source>
        <translation>Iniciar uma captura:</translation>
    </message>
    <message>
        <source>Stop the recording:</source>
        <translation>Parar a gravação:</translation>
    </message>
    <message>
        <source>Change shortcuts...</source>
        <translation>Alterar atalhos...</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Idioma:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fechar</translation>
    </message>
    <message>
        <source>Testing the connection...</source>
        <translation>Testando a conexão...</translation>
    </message>
    <message>
        <source>%1 is not a folder. Recordings are still saved in %2.</source>
        <translation>%1 não é uma pasta. As gravações continuam sendo salvas em %2.</translation>
    </message>
    <message>
        <source>Save recordings in</source>
        <translation>Salvar as gravações em</translation>
    </message>
    <message>
        <source>Kept recordings may take (MiB, 0: no limit):</source>
        <translation>Espaço para as gravações guardadas (MiB, 0: sem limite):</translation>
    </message>
    <message>
        <source>Countdown (seconds, 0: off):</source>
        <translation>Contagem regressiva (segundos, 0: desativada):</translation>
    </message>
</context>
<context>
    <name>FirstRunHint</name>
    <message>
        <source>Welcome to Clipnest</source>
        <translation>Boas-vindas ao Clipnest</translation>
    </message>
    <message>
        <source>Clipnest lives in the system tray: its icon opens the menu, with Settings and the record button's switch.</source>
        <translation>O Clipnest fica na bandeja do sistema: o ícone dele abre o menu, com as Configurações e a opção do botão de gravação.</translation>
    </message>
    <message>
        <source>There is no system tray here, so Clipnest lives in the record button at the edge of the screen.</source>
        <translation>Aqui não há bandeja do sistema, então o Clipnest fica no botão de gravação, na borda da tela.</translation>
    </message>
    <message>
        <source>No key combination starts a capture; you can choose one in Settings. Click the record button to select an area.</source>
        <translation>Nenhuma combinação de teclas inicia uma captura; você pode escolher uma nas Configurações. Clique no botão de gravação para selecionar uma área.</translation>
    </message>
    <message>
        <source>Click the record button or press %1 to select an area.</source>
        <translation>Clique no botão de gravação ou pressione %1 para selecionar uma área.</translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation>Configurações...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TusClient</name>
    <message>
        <source>The upload service at %1 gave an answer the program can not use: %2. Ask the service's operator to check it.</source>
        <translation>O serviço de envio em %1 deu uma resposta que o programa não consegue usar: %2. Peça ao administrador do serviço para verificar.</translation>
    </message>
    <message>
        <source>no upload address on the service's own host</source>
        <translation>nenhum endereço de envio no próprio servidor do serviço</translation>
    </message>
    <message>
        <source>no valid upload length</source>
        <translation>nenhum tamanho de envio válido</translation>
    </message>
    <message>
        <source>an upload offset outside the video</source>
        <translation>uma posição de envio fora do vídeo</translation>
    </message>
    <message>
        <source>an upload offset outside the bytes sent</source>
        <translation>uma posição de envio fora dos bytes enviados</translation>
    </message>
</context>
<context>
    <name>TusUpload</name>
    <message>
        <source>Can not read the recording: %1</source>
        <translation>Não foi possível ler a gravação: %1</translation>
    </message>
</context>
<context>
    <name>FileUploadSource</name>
    <message>
        <source>the file became shorter</source>
        <translation>o arquivo ficou menor</translation>
    </message>
</context>
</TS>
