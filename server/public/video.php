<?php
// Serves one stored video: /video.php/<name>.mp4 (or /video.php?id=<name>.mp4 where the web
// server passes no path info). Byte ranges are honoured so browsers can play and seek.
declare(strict_types=1);

require_once __DIR__ . '/../records.php';

$clipnestVideoName = ltrim((string)($_SERVER['PATH_INFO'] ?? ''), '/');
if ($clipnestVideoName === '' && isset($_GET['id']) && is_string($_GET['id'])) {
    $clipnestVideoName = $_GET['id'];
}
try {
    // An expired or deleted video says so rather than looking as if it never was.
    if (preg_match('/^([0-9a-f]{32})\.mp4$/D', $clipnestVideoName, $clipnestMatch)) {
        $clipnestRecord = clipnest_current_record(clipnest_storage(), $clipnestMatch[1]);
        if ($clipnestRecord !== null && $clipnestRecord['state'] === 'gone') {
            throw new HttpError(410, 'This video has expired or was removed.');
        }
    }
    clipnest_serve_video($clipnestVideoName);
} catch (HttpError $e) {
    clipnest_plain($e->status, $e->getMessage(), $e->headers);
}
