<?php
// The poster frame of one video: /poster.php/<id>.jpg.
declare(strict_types=1);

require_once __DIR__ . '/../records.php';

function clipnest_poster_handle(): void
{
    $method = $_SERVER['REQUEST_METHOD'] ?? 'GET';
    if ($method !== 'GET' && $method !== 'HEAD') {
        clipnest_plain(405, 'Only GET and HEAD are allowed here.', ['Allow: GET, HEAD']);
        return;
    }
    if (!preg_match('/^\/([0-9a-f]{32})\.jpg$/D', (string)($_SERVER['PATH_INFO'] ?? ''), $m)) {
        clipnest_not_found();
        return;
    }
    $storage = clipnest_storage();
    $record = clipnest_current_record($storage, $m[1]);
    if ($record !== null && $record['state'] === 'gone') {
        clipnest_plain(410, 'This video has expired or was removed.');
        return;
    }
    $path = clipnest_poster_path($storage, $m[1]);
    if ($record === null || !is_file($path) || is_link($path)) {
        clipnest_not_found();
        return;
    }
    header('Content-Type: image/jpeg');
    header('X-Content-Type-Options: nosniff');
    header('Cache-Control: public, max-age=3600');
    header('Content-Length: ' . filesize($path));
    if ($method === 'GET') {
        readfile($path);
    }
}

try {
    clipnest_poster_handle();
} catch (HttpError $e) {
    clipnest_plain($e->status, $e->getMessage(), $e->headers);
}
