<?php
// The share page of one video: /v/<id>, and its bare player for other sites' frames, /e/<id>
// (or /v/<id>?embed=1). nginx sends both addresses here.
declare(strict_types=1);

require_once __DIR__ . '/../pages.php';

function clipnest_page_handle(): void
{
    $method = $_SERVER['REQUEST_METHOD'] ?? 'GET';
    if ($method !== 'GET' && $method !== 'HEAD') {
        clipnest_plain(405, 'Only GET and HEAD are allowed here.', ['Allow: GET, HEAD']);
        return;
    }
    $path = (string)parse_url('http://x' . ($_SERVER['REQUEST_URI'] ?? ''), PHP_URL_PATH);
    if (!preg_match('#^' . preg_quote(clipnest_base_path(), '#') . '/([ve])/([0-9a-f]{32})$#D', $path, $m)) {
        clipnest_missing_page();
        return;
    }
    $storage = clipnest_storage();
    $record = clipnest_current_record($storage, $m[2]);
    if ($record === null) {
        clipnest_missing_page();
    } elseif ($record['state'] === 'gone') {
        clipnest_gone_page();
    } else {
        clipnest_share_page($m[2], $record, $m[1] === 'e' || ($_GET['embed'] ?? '') === '1');
    }
}

try {
    clipnest_page_handle();
} catch (HttpError $e) {
    clipnest_plain($e->status, $e->getMessage(), $e->headers);
}
