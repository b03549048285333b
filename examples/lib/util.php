<?php
// Helpers shared by the scripts of this project.
function util_uptime()
{
    return system("uptime ms");
}
?>
