<?php
// The secret deletion address of one video: /delete/<id>/<secret>. GET shows a small form
// asking to confirm; POST (from that form) or DELETE (from the program) removes the video,
// its poster and its page.
declare(strict_types=1);

require_once __DIR__ . '/../tus.php';
require_once __DIR__ . '/../pages.php';

function clipnest_delete_handle(): void
{
    $method = $_SERVER['REQUEST_METHOD'] ?? 'GET';
    $path = (string)parse_url('http://x' . ($_SERVER['REQUEST_URI'] ?? ''), PHP_URL_PATH);
    if (!preg_match('#^' . preg_quote(clipnest_base_path(), '#') . '/delete/([0-9a-f]{32})/([^/]*)$#D', $path, $m)) {
        clipnest_missing_page();
        return;
    }
    [, $id, $secret] = $m;
    if (!in_array($method, ['GET', 'HEAD', 'POST', 'DELETE'], true)) {
        clipnest_plain(405, 'Use GET, POST or DELETE here.', ['Allow: GET, HEAD, POST, DELETE']);
        return;
    }
    if ($method === 'POST' || $method === 'DELETE') {
        // No CSRF token is needed: another site's page cannot send these (Origin rule).
        clipnest_check_same_origin();
    }
    $storage = clipnest_storage();
    $record = clipnest_current_record($storage, $id);
    if ($record === null) {
        clipnest_missing_page();
        return;
    }
    if ($record['state'] === 'gone') {
        clipnest_gone_page();
        return;
    }
    if (!clipnest_check_delete_secret($record, $secret)) {
        clipnest_html(403, 'Wrong address', '<h1>This deletion address is not right.</h1>');
        return;
    }
    if ($method === 'GET' || $method === 'HEAD') {
        clipnest_html(200, 'Delete the video?', '<h1>Delete “' . clipnest_h(clipnest_video_title($record))
            . '”?</h1><p>The video, its picture and its page go for good.</p><form method="post" action="">'
            . '<button type="submit">Delete the video</button></form>');
        return;
    }
    $f = clipnest_lock_part($storage, $id);
    try {
        clipnest_remove_upload($storage, $id, false);
    } finally {
        if ($f !== null) {
            flock($f, LOCK_UN);
            fclose($f);
        }
    }
    if ($method === 'DELETE') {
        http_response_code(204);
        header('Cache-Control: no-store');
        return;
    }
    clipnest_html(200, 'Video deleted', '<h1>The video was deleted.</h1>');
}

try {
    clipnest_delete_handle();
} catch (HttpError $e) {
    clipnest_plain($e->status, $e->getMessage(), $e->headers);
}
