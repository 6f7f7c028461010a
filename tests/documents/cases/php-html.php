<!DOCTYPE html>
<html><head><title>A tittle</title></head>
<body>
<p class="greting">Welcom, <?= $user_nam ?>, to the paje.</p>
<?php
// A commment that ends here ?> <b>bold txt</b>
<?php $s = "a strng with ?> inside"; # hash commment
/* a blok ?> comment */ ?>
<a href="<?php echo $linkk; ?>">the linkk</a>
</body>
