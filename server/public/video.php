<?php
// Serves one stored video: /video.php/<name>.mp4 (or /video.php?id=<name>.mp4 where the web
// server passes no path info). Byte ranges are honoured so browsers can play and seek.
declare(strict_types=1);

require_once __DIR__ . '/../lib.php';

$clipnestVideoName = ltrim((string)($_SERVER['PATH_INFO'] ?? ''), '/');
if ($clipnestVideoName === '' && isset($_GET['id']) && is_string($_GET['id'])) {
    $clipnestVideoName = $_GET['id'];
}
try {
    clipnest_serve_video($clipnestVideoName);
} catch (HttpError $e) {
    clipnest_plain($e->status, $e->getMessage(), $e->headers);
}
